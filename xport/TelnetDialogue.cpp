#include "xport/TelnetDialogue.h"

namespace xport {

std::vector<TelnetSegment> SplitTelnetSegments(std::string_view received) {
    std::vector<TelnetSegment> segments;
    TelnetSegment current;
    bool open = false;
    for (const char c : received) {
        if (c == '\0' || c == '\n') {
            continue;
        }
        if (c == '\r') {
            current.endedAtCr = true;
            segments.push_back(std::move(current));
            current = TelnetSegment{};
            open = false;
            continue;
        }
        current.text += c;
        open = true;
    }
    if (open) {
        segments.push_back(std::move(current));
    }
    return segments;
}

std::string SettingAnswer(const std::string& telnetText) {
    std::string enter(1, kEnter);
    if (telnetText.find("Baudrate") != std::string::npos) {
        return "19200" + enter;
    }
    if (telnetText.find("I/F Mode") != std::string::npos) {
        return "4C" + enter;
    }
    if (telnetText.find("Flow") != std::string::npos) {
        return "01" + enter;
    }
    return enter;
}

TelnetStep DecideTelnetStep(const std::string& telnetText, bool menuChosen) {
    const auto has = [&telnetText](const char* phrase) {
        return telnetText.find(phrase) != std::string::npos;
    };
    TelnetStep step;
    if (has("Press Enter")) {
        step.rule = TelnetStep::Rule::PressEnter;
        step.clearText = true;
        step.keys = std::string(1, kEnter);
    } else if (has("Your choice ? ")) {
        step.rule = TelnetStep::Rule::MenuChoice;
        step.clearText = true;
        if (!menuChosen) {
            step.chooseMenu = true;
            step.keys = std::string("1") + kEnter;
        } else {
            step.close = true;
            step.keys = std::string("9") + kEnter;
        }
    } else if (has("Remote IP Address")) {
        step.rule = TelnetStep::Rule::RemoteIpAddress;
        step.clearText = true;
        step.stepProgress = true;
        step.keys = std::string(4, kEnter);
    } else if (has("DisConnTime")) {
        step.rule = TelnetStep::Rule::DisConnTime;
        step.clearText = true;
        step.stepProgress = true;
        step.keys = std::string(2, kEnter);
    } else if (has(" ?")) {
        step.rule = TelnetStep::Rule::Question;
        step.clearText = true;
        step.stepProgress = true;
        step.keys = SettingAnswer(telnetText);
    }
    return step;
}

}  // namespace xport
