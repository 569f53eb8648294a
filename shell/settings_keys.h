// Sections, keys and defaults of the settings files shared with the shell.
#pragma once

#include <string>

namespace krav::shell {

struct Key {
  const char* section;
  const char* key;
};

// Shell settings file (root "krav2000.ini").
constexpr Key kActiveUser{"Users", "Active"};
constexpr Key kShellWindow{"Main", "Handle"};  // default "0"
constexpr Key kProgramWindow{"Appl", "Voza"};  // default "0"
constexpr Key kCurrentProgram{"Appl", "Current"};
constexpr Key kSnoozeText{"Voza", "Text"};  // default empty
constexpr Key kSnoozeHour{"Voza", "Hour"};  // default 0
constexpr Key kSnoozeMin{"Voza", "Min"};    // default 5
constexpr Key kMediaFile{"Media", "Subfile"};
constexpr Key kSpeakText{"Speak", "Text"};
constexpr const char* kWindowDefault = "0";
constexpr int kSnoozeHourDefault = 0;
constexpr int kSnoozeMinDefault = 5;

// The program's window placement, in the shell settings file.
constexpr Key kWindowLeft{"Voza", "Left"};
constexpr Key kWindowTop{"Voza", "Top"};
constexpr Key kWindowWidth{"Voza", "Width"};
constexpr Key kWindowHeight{"Voza", "Height"};
constexpr Key kWindowState{"Voza", "State"};  // 1 maximised

// The module information file "in200.inf".
constexpr Key kModuleName{"Main", "Name"};
constexpr Key kModuleVersion{"Main", "Version"};
constexpr Key kModuleUpdate{"Main", "Update"};

// The agent's settings "agent.ini": [Commandes] <picture kind> = animation.
constexpr const char* kAgentCommandsSection = "Commandes";

// User settings file (data directory "krav2000.ini").
constexpr Key kNewsPosition{"News", "RLPosition"};  // 32000: not stored
constexpr Key kNewsShow{"News", "Show"};            // default true
constexpr Key kNewsText{"News", "String"};
constexpr int kNewsPositionNone = 32000;
constexpr Key kSoundFile{"Messages", "Mus"};
constexpr Key kShowDialog{"Messages", "ShowDialog"};    // default true
constexpr Key kAutoDelete{"Messages", "AutoDel"};       // default true
constexpr Key kSpeakOn{"Messages", "Speak"};            // default true
constexpr Key kNewMessages{"Indicators", "Isnewmess"};  // default false
constexpr Key kActiveCard{"Note", "Active"};
constexpr bool kShowDialogDefault = true;
constexpr bool kAutoDeleteDefault = true;
constexpr bool kSpeakDefault = true;
constexpr bool kNewMessagesDefault = false;

// Default of [Messages] Mus, as the shell writes it (relative to the root).
std::string DefaultSoundFile();

// "programs.ini".
constexpr const char* kHotKeysSection = "HotKeys";
constexpr const char* kTreeSection = "Tree";
constexpr const char* kCompsSection = "Comps";

}  // namespace krav::shell
