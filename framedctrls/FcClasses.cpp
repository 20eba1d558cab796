#include "framedctrls/FcClasses.h"

#include "framedctrls/FcCmboBx.h"
#include "framedctrls/FcCommon.h"
#include "framedctrls/FcEdit.h"
#include "platform/classes/ClassRegistry.h"

namespace framedctrls {

void RegisterFramedClasses()
{
    static const bool done = [] {
        classes::RegisterClasses<TFcFrameController, TFcEdit, TFcCustomComboBox, TFcColorComboBox>();
        return true;
    }();
    (void)done;
}

}  // namespace framedctrls
