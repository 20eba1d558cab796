#pragma once
// The grid library's own data sets, so that the grid and its cell editors find per-field
// settings on the data set itself: TgkQuery (over the ADO query) and TgkStoredProc (over the
// ADO stored procedure), and TgkDataSource, a data source the library knows by its class.
//
// Both data sets publish, after their base's properties and in this order: ControlType,
// LookupFields, LookupLinks, PictureMasks (owned lists, copied when set; formats in
// GridRoutines.h), ValidateWithMask (True, always stored), OnFilter, OnFilterEscape,
// OnFilterOptions ([ofoEnabled, ofoShowHourGlass]) and OnInvalidValue.
//
// - OnFilter is a record filter (gkFilterEvent.h): installed when the data set opens or when
//   the handler is set on an open data set (with the warning gkLocalFilterWarning when it
//   cannot be, the data set staying open and unfiltered), removed when it is cleared. While it
//   is assigned the data set is not sequenced: no record numbers are offered.
// - Removing ofoEnabled from OnFilterOptions on an open data set with OnFilter shows every
//   record again at once. TgkStoredProc filters whatever ofoEnabled says.
// - Before a post, with ValidateWithMask, every field's text is checked against its picture
//   mask (gkValidatePictureMasks): OnInvalidValue hears of the first that breaks its mask and
//   the post fails with the database error.
// - Opening makes a lookup field for every LookupFields entry that names no field yet, then
//   removes the ControlType, LookupFields and LookupLinks entries of fields the data set lacks
//   (UpdateLookups). The lookup fields are filled for every record read, from lookup tables
//   the data set owns and frees when it closes (gkLookups.h).

#include <memory>
#include <string>

#include "grid/GridRoutines.h"
#include "grid/gkFilterEvent.h"
#include "grid/gkLookups.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/StringList.h"

namespace grid {

class TgkDataSource : public db::TDataSource {
    GW_CLASS(TgkDataSource)

public:
    explicit TgkDataSource(classes::TComponent* owner);
    ~TgkDataSource() override;
};

using TgkInvalidValueEvent = classes::TEvent<db::TDataSet*, db::TField*>;

// What TgkQuery and TgkStoredProc add to their ADO base `Base`; `Self` is the concrete class
// its OnFilter event names. `steps` says which steps of the filter event it runs.
template <class Base, class Self, TgkFilterEvent::TSteps steps>
class TgkDataSetExtras : public Base {
public:
    using TFilterEvent = classes::TEvent<Self*, bool&>;

    explicit TgkDataSetExtras(classes::TComponent* owner)
        : Base(owner),
          filterEvent_(*this, steps,
                       {[this](bool& accept) {
                            if (!onFilter_) return false;
                            onFilter_(static_cast<Self*>(this), accept);
                            return true;
                        },
                        [this] { OnFilterEscape(this); }, [this] { this->RecordFiltersChanged(); }})
    {
    }
    // Closes first, so that the filter leaves a closed data set and nothing is read again.
    ~TgkDataSetExtras() override { this->CloseOnDestroy(); }

    rtl::TStringList* ControlType() const noexcept { return controlType_.get(); }
    rtl::TStringList* LookupFields() const noexcept { return lookupFields_.get(); }
    rtl::TStringList* LookupLinks() const noexcept { return lookupLinks_.get(); }
    rtl::TStringList* PictureMasks() const noexcept { return pictureMasks_.get(); }
    bool ValidateWithMask() const noexcept { return validateWithMask_; }
    void SetValidateWithMask(bool validate) { validateWithMask_ = validate; }

    const TFilterEvent& OnFilter() const noexcept { return onFilter_; }
    void SetOnFilter(typename TFilterEvent::Handler handler)
    {
        onFilter_ = std::move(handler);
        filterEvent_.HandlerChanged(static_cast<bool>(onFilter_), gkLocalFilterWarning);
    }
    TgkFilterOptions OnFilterOptions() const noexcept { return filterOptions_; }
    void SetOnFilterOptions(TgkFilterOptions options)
    {
        const TgkFilterOptions before = filterOptions_;
        filterOptions_ = options;
        filterEvent_.OptionsChanged(before, static_cast<bool>(onFilter_));
    }

    db::TDataSetNotifyEvent OnFilterEscape;
    TgkInvalidValueEvent OnInvalidValue;

    bool IsSequenced() const override { return !onFilter_ && Base::IsSequenced(); }

    // The filter event, for the data set's tests.
    const TgkFilterEvent& FilterEvent() const noexcept { return filterEvent_; }
    // The tables the lookup fields are read from.
    TgkLookupTables& LookupTables() noexcept { return lookupTables_; }

protected:
    // Publishes the added properties in their order (called by the concrete class).
    template <class T>
    static void PublishExtras(classes::TPublisher<T>& p)
    {
        p.Strings("ControlType", &TgkDataSetExtras::ControlType);
        p.Strings("LookupFields", &TgkDataSetExtras::LookupFields);
        p.Strings("LookupLinks", &TgkDataSetExtras::LookupLinks);
        p.Strings("PictureMasks", &TgkDataSetExtras::PictureMasks);
        p.Boolean("ValidateWithMask", &TgkDataSetExtras::ValidateWithMask, &TgkDataSetExtras::SetValidateWithMask,
                  true)
            .AlwaysStored();
        p.Event("OnFilter", &TgkDataSetExtras::onFilter_);
        p.Event("OnFilterEscape", &TgkDataSetExtras::OnFilterEscape);
        p.Set("OnFilterOptions", gkFilterOptionInfo(), &TgkDataSetExtras::OnFilterOptions,
              &TgkDataSetExtras::SetOnFilterOptions, TgkFilterOptions{ofoEnabled, ofoShowHourGlass});
        p.Event("OnInvalidValue", &TgkDataSetExtras::OnInvalidValue);
    }

    void InternalOpen() override
    {
        // On before the first records are read, so that they are read filtered.
        filterEvent_.Opening(static_cast<bool>(onFilter_));
        rtl::TScopeExit notOpened([this] { filterEvent_.Closed(); });
        Base::InternalOpen();
        UpdateLookups();
        notOpened.Release();
    }
    void InternalClose() override
    {
        Base::InternalClose();
        filterEvent_.Closed();
        lookupTables_.Clear();
    }
    void CalculateFields() override
    {
        if (lookupFields_->Count() > 0) gkUpdateLookupFields(*this, lookupTables_);
        Base::CalculateFields();
    }
    int GetRecNo() const override { return onFilter_ ? -1 : Base::GetRecNo(); }
    void RecordsSettled() override
    {
        Base::RecordsSettled();
        filterEvent_.RecordsSettled();
    }
    void DoBeforePost() override
    {
        Base::DoBeforePost();
        if (!validateWithMask_) return;
        gkValidatePictureMasks(*this, [this](db::TDataSet& dataSet, db::TField& field) {
            OnInvalidValue(&dataSet, &field);
        });
    }

private:
    // The per-field lists after the fields are known: the lookup fields are made, then entries
    // of fields the data set lacks go.
    void UpdateLookups()
    {
        gkSetupLookupFields(*this, lookupTables_);
        gkRemoveStaleControlInfo(*this, lookupFields_.get(), lookupLinks_.get(), controlType_.get());
    }

    std::unique_ptr<rtl::TStringList> controlType_ = std::make_unique<rtl::TStringList>();
    std::unique_ptr<rtl::TStringList> lookupFields_ = std::make_unique<rtl::TStringList>();
    std::unique_ptr<rtl::TStringList> lookupLinks_ = std::make_unique<rtl::TStringList>();
    std::unique_ptr<rtl::TStringList> pictureMasks_ = std::make_unique<rtl::TStringList>();
    bool validateWithMask_ = true;
    TgkLookupTables lookupTables_;

protected:
    // Protected, so that a concrete class may publish the event in an order of its own.
    TFilterEvent onFilter_;

private:
    TgkFilterOptions filterOptions_{ofoEnabled, ofoShowHourGlass};
    TgkFilterEvent filterEvent_;
};

class TgkQuery;
class TgkStoredProc;

class TgkQuery : public TgkDataSetExtras<db::TADOQuery, TgkQuery, TgkFilterEvent::TSteps::Full> {
    GW_CLASS(TgkQuery)

public:
    explicit TgkQuery(classes::TComponent* owner);
    ~TgkQuery() override;
};

class TgkStoredProc
    : public TgkDataSetExtras<db::TADOStoredProc, TgkStoredProc, TgkFilterEvent::TSteps::HandlerOnly> {
    GW_CLASS(TgkStoredProc)

public:
    explicit TgkStoredProc(classes::TComponent* owner);
    ~TgkStoredProc() override;
};

using TgkQueryFilterEvent = TgkQuery::TFilterEvent;
using TgkStoredProcFilterEvent = TgkStoredProc::TFilterEvent;

// Registers TgkDataSource, TgkQuery, TgkStoredProc and TgkTable (gkTable.h) so that stored forms
// and lookup lists can create them.
void RegisterDataSetClasses();

}  // namespace grid
