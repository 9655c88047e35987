// The settings files of the screen tests' application.

#include "engine/core/EmbeddedFiles.h"

namespace {

const char kDefaults[] = "LoadConfig { }";
const char kConst[] = "LoadConstConfig { VersionFont = \"DejaVuSans.ttf\", TextBoxFont = \"DejaVuSans.ttf\", "
                      "TextBoxFontSize = 12, ButtonFont = \"DejaVuSans.ttf\", SmallButtonFont = \"DejaVuSans.ttf\", "
                      "ButtonFontSize = 26, ButtonFontSizeBigger = 26 }";
EmbeddedFileRegistration s_Defaults("ScreenApp_Defaults.cfg", reinterpret_cast<const unsigned char*>(kDefaults),
                                    sizeof(kDefaults) - 1);
EmbeddedFileRegistration s_Const("ScreenApp_Const.cfg", reinterpret_cast<const unsigned char*>(kConst),
                                 sizeof(kConst) - 1);

} // namespace
