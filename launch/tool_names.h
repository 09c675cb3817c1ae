// The driver package installer tool that both launchers start. It ships in two builds beside them;
// each name brings its own leading backslash so that it joins directly onto a directory.
#ifndef LAUNCH_TOOL_NAMES_H_
#define LAUNCH_TOOL_NAMES_H_

inline constexpr char kTool32Name[] = "\\DPInst32.exe";
inline constexpr char kTool64Name[] = "\\DPInst64.exe";

#endif  // LAUNCH_TOOL_NAMES_H_
