// Window-message and command numbers exchanged with the shell.
#pragma once

namespace krav::shell {

// To the shell window.
constexpr int kMsgPlaySound = 8125;      // play [Media] Subfile
constexpr int kMsgStopSound = 8126;      // stop that sound
constexpr int kMsgSpeak = 12086;         // speak [Speak] Text
constexpr int kMsgShowReminders = 1034;  // present "mess-now.dat"
constexpr int kShowRemindersLParam = 513;
constexpr int kMsgShellCommandBase = 1024;  // 1024 + N runs the shell's command N
constexpr int kMsgRecordsChanged = 3034;    // records or notification settings changed
constexpr int kMsgOpenAddressCard = 2022;   // with wParam 300: the card of [Note] Active
constexpr int kOpenAddressCardWParam = 300;
constexpr int kMsgPlannerClosedByButton = 2025;
constexpr int kMsgPlannerClosedOtherwise = 2026;

// To the program's window.
constexpr int kMsgReloadList = 3044;  // "mess.dat" changed by a snooze
constexpr int kMsgProgram2023 = 2023;

// To any window found by caption: come to the front.
constexpr int kMsgActivateWindow = 6;

// Commands of the plug-in (CommandIf).
constexpr int kFirstCommand = 2000;
constexpr int kLastCommand = 2999;
constexpr int kCmdUpdateIndicator = 2005;
constexpr int kCmdReload = 2010;
constexpr int kCmdSnooze = 2015;

}  // namespace krav::shell
