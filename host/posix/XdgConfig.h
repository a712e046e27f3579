#pragma once
// The user's configuration and data folders of the XDG base directory rules.

#include <string>

namespace xdg {

// $XDG_CONFIG_HOME when it is set to an absolute path, else $HOME/.config (the home folder
// from the password database when HOME is unset). "" when neither can be found.
std::string ConfigHome();

// $XDG_DATA_HOME when it is set to an absolute path, else $HOME/.local/share; "" when no home
// folder can be found.
std::string DataHome();

}  // namespace xdg
