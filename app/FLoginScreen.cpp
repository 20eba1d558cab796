#include "app/FLoginScreen.h"

namespace app {

GW_IMPLEMENT_CLASS(TFrmLoginScreen, ui::TForm) {}

TFrmLoginScreen::TFrmLoginScreen(classes::TComponent* owner) : TForm(owner) { LoadDescription("FrmLoginScreen"); }

}  // namespace app
