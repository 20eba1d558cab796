#pragma once
// The data the masked edit and combo box tests bind to: an in-memory data set that publishes
// a PictureMasks list (as the library's data sets do), with a text, a memo, a date-time, a
// date, an integer shown as "#,##0", a float and a code column.

#include <memory>

#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/StringList.h"
#include "tests/db/MemDataSet.h"

namespace maskedtest {

class TMaskedMemDataSet : public dbtest::TMemDataSet {
    GW_CLASS(TMaskedMemDataSet)

public:
    using TMemDataSet::TMemDataSet;
    rtl::TStringList* PictureMasks() const { return masks_.get(); }

private:
    std::unique_ptr<rtl::TStringList> masks_ = std::make_unique<rtl::TStringList>();
};

// A data set and source with one row: NAME "Ann", NOTE "memo", WHEN 2024-05-15 10:30,
// DAY 2024-05-15, QTY 1234, PRICE 2.5, CODE "G".
struct TMaskedData {
    TMaskedData()
    {
        ds.columns = {{"NAME", db::ftString, 20}, {"NOTE", db::ftMemo}, {"WHEN", db::ftDateTime},
                      {"DAY", db::ftDate},        {"QTY", db::ftInteger}, {"PRICE", db::ftFloat},
                      {"CODE", db::ftString, 4}};
        ds.AddRow({db::TVariant(std::string("Ann")), db::TVariant(std::string("memo")), db::TVariant(rtl::EncodeDateTime(2024, 5, 15, 10, 30, 0, 0)),
                   db::TVariant(rtl::EncodeDate(2024, 5, 15)), db::TVariant(1234), db::TVariant(2.5),
                   db::TVariant(std::string("G"))});
        source.SetDataSet(&ds);
        ds.Open();
        dynamic_cast<db::TNumericField*>(ds.FieldByName("QTY"))->SetDisplayFormat("#,##0");
    }
    TMaskedMemDataSet ds;
    db::TDataSource source{nullptr};
};

}  // namespace maskedtest
