#include "framedctrls/FcClasses.h"

#include "framedctrls/FcCommon.h"
#include "framedctrls/FcEdit.h"
#include "platform/classes/ClassRegistry.h"

namespace framedctrls {

void RegisterFramedClasses()
{
    static const bool done = [] {
        classes::RegisterClasses<TFcFrameController, TFcEdit>();
        return true;
    }();
    (void)done;
}

}  // namespace framedctrls
