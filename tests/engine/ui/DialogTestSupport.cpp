// The settings files of the dialog tests' application: the game's fonts and
// dialog placement settings.

#include "engine/core/EmbeddedFiles.h"

namespace {

const char kDefaults[] = "LoadConfig { music_volume = 40, sfx_volume = 75, full_screen = false, "
                         "use_3d_acceleration = false }";
const char kConst[] = "LoadConstConfig { VersionFont = 'Dosis-ExtraBold.otf', TextBoxFont = 'Dosis-ExtraBold.otf', "
                      "TextBoxFontSize = 20, ButtonFont = 'Dosis-ExtraBold.otf', "
                      "SmallButtonFont = 'Dosis-ExtraBold.otf', DialogFieldFont = 'Dosis-ExtraBold.otf', "
                      "DialogTitleFont = 'Dosis-ExtraBold.otf', ButtonFontSize = 26, ButtonFontSizeBigger = 26, "
                      "DialogFieldFontSize = 24, DialogTitleFontSize = 28, DialogButtonOffset = -34, "
                      "DialogXAlign = 60, DialogYAlign = 20, credits = 'Made by us', "
                      "credits_font = 'ComicNeue-Bold.otf', credits_font_size = 20 }";
EmbeddedFileRegistration s_Defaults("DialogApp_Defaults.cfg", reinterpret_cast<const unsigned char*>(kDefaults),
                                    sizeof(kDefaults) - 1);
EmbeddedFileRegistration s_Const("DialogApp_Const.cfg", reinterpret_cast<const unsigned char*>(kConst),
                                 sizeof(kConst) - 1);

} // namespace
