#pragma once
// The user's configuration folder of the XDG base directory rules.

#include <string>

namespace xdg {

// $XDG_CONFIG_HOME when it is set to an absolute path, else $HOME/.config (the home folder
// from the password database when HOME is unset). "" when neither can be found.
std::string ConfigHome();

}  // namespace xdg
