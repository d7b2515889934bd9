#pragma once
// The correction settings of "vantri-cli process", turned into the Surface-menu commands that the
// application's menu would send, in the order given.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "processing/KernelGeometry.h"

namespace cli {

struct CSetting {
    int command = 0;
    // For the custom kernels: what the kernel dialog is answered with.
    std::optional<doc::CKernelDialogValues> kernel;
};

enum class SettingParse { NotASetting, Taken, Invalid };

// Reads the setting at args[i] (and its value, advancing i past it) into settings. On Invalid, problem
// says what is wrong.
SettingParse ParseSetting(const std::vector<std::string>& args, std::size_t& i,
                          std::vector<CSetting>& settings, std::string& problem);

// Walks a command's arguments: the settings go into settings in the order given, and every other
// argument to option, with its index (advanced past a value the option takes), which returns what is
// wrong or an empty text. The first problem, or an empty text.
std::string ParseArguments(const std::vector<std::string>& args, std::vector<CSetting>& settings,
                           const std::function<std::string(std::size_t& i)>& option);

// ParseArguments for a command of one FILE. An argument that option does not take (it returns no
// text at all) is what every such command takes: "--image K" (0 to a million), the one FILE, or the
// refusal of any other option. No FILE is a problem too.
std::string ParseFileArguments(const std::vector<std::string>& args, std::vector<CSetting>& settings,
                               std::string& file, int& image,
                               const std::function<std::optional<std::string>(std::size_t& i)>& option);

// The whole of text (when there is one) as a whole number from least to most.
bool ParseInt(const std::string* text, int least, int most, int& n);

// "WxH" (anchor in the middle) or "WxH@AX,AY"; sizes 1 to 256 and the anchor inside.
bool ParseKernel(const std::string& text, doc::CKernelDialogValues& kernel);

} // namespace cli
