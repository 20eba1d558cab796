#include "grid/gkDataSets.h"

#include "grid/gkTable.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/db/DbClasses.h"

namespace grid {

GW_IMPLEMENT_CLASS(TgkDataSource, db::TDataSource) {}

TgkDataSource::TgkDataSource(classes::TComponent* owner) : db::TDataSource(owner) {}

TgkDataSource::~TgkDataSource() = default;

GW_IMPLEMENT_CLASS(TgkQuery, db::TADOQuery) { PublishExtras(p); }

TgkQuery::TgkQuery(classes::TComponent* owner) : TgkDataSetExtras(owner) {}

TgkQuery::~TgkQuery() = default;

GW_IMPLEMENT_CLASS(TgkStoredProc, db::TADOStoredProc) { PublishExtras(p); }

TgkStoredProc::TgkStoredProc(classes::TComponent* owner) : TgkDataSetExtras(owner) {}

TgkStoredProc::~TgkStoredProc() = default;

void RegisterDataSetClasses()
{
    static const bool done = [] {
        db::RegisterDbClasses();
        classes::RegisterClasses<TgkDataSource, TgkQuery, TgkStoredProc, TgkTable>();
        return true;
    }();
    (void)done;
}

}  // namespace grid
