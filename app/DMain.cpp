#include "app/DMain.h"

#include "platform/classes/FormResources.h"
#include "platform/db/AdoConnection.h"

namespace app {

TdmMain* dmMain = nullptr;

GW_IMPLEMENT_CLASS(TdmMain, classes::TComponent) {}

TdmMain::TdmMain(classes::TComponent* owner) : TComponent(owner)
{
    classes::LoadFormDescription(*this, "dmMain");
    dmMain = this;
}

TdmMain::~TdmMain()
{
    if (dmMain == this) dmMain = nullptr;
}

db::TADOConnection* TdmMain::Connection() const { return FindComponent<db::TADOConnection>("ADOConnection1"); }

}  // namespace app
