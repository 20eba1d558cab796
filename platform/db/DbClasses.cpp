#include "platform/db/DbClasses.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/db/AdoDataSet.h"

namespace db {

void RegisterDbClasses()
{
    static const bool done = [] {
        classes::RegisterClasses<TDataSource, TADOConnection, TADOQuery, TADOTable, TADODataSet, TADOStoredProc, TStringField,
                                 TWideStringField, TGuidField, TSmallintField, TIntegerField, TWordField,
                                 TAutoIncField, TLargeintField, TFloatField, TCurrencyField, TBCDField, TBooleanField,
                                 TDateField, TTimeField, TDateTimeField, TBytesField, TVarBytesField, TBlobField,
                                 TMemoField, TGraphicField>();
        return true;
    }();
    (void)done;
}

}  // namespace db
