#pragma once
// The main window's controls by number: their object names are "ctl<number>", so tests, the
// accessibility tree and a technician's notes find the same control whatever language it speaks.

namespace quorvin::ctl {

inline constexpr int ProgressBar = 1000;
inline constexpr int ProgressText = 1001;
inline constexpr int ComboPort = 1002;
inline constexpr int Upgrade = 1003;
inline constexpr int ReadVersion = 1004;
inline constexpr int ComboSpeed = 1005;
inline constexpr int BackupDownload = 1006;
inline constexpr int BackupReadBack = 1007;
inline constexpr int UsbOperation = 1008;
inline constexpr int LabelPort = 1009;
inline constexpr int LabelSpeed = 1010;
inline constexpr int SetFrequency = 1011;
inline constexpr int ReadFrequency = 1012;
inline constexpr int Frequency = 1013;
inline constexpr int InitCallButtons = 1014;

}  // namespace quorvin::ctl
