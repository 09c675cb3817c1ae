// The installer: command line, exit-code rule, notice choice, the pending-installation guard, the
// tool runner and the order of WinMain.
#include <windows.h>

#include <string>

#include "fake_windows.h"
#include "gtest/gtest.h"
#include "installer/command_line.h"
#include "installer/exit_code.h"
#include "installer/notice.h"
#include "installer/pending_installs.h"
#include "installer/run_and_wait.h"
#include "launch/heap_string.h"
#include "windows_test.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

namespace {

using Strings = std::vector<std::string>;

const char kChineseText[] =
    "\xC7\xEB\xC8\xA1\xCF\xFB\xC7\xFD\xB6\xAF\xB0\xB2\xD7\xB0\xCF\xF2\xB5\xBC";
const char kChineseCaption[] = "USB\xC7\xFD\xB6\xAF\xB0\xB2\xD7\xB0";
const char kEnglishText[] = "An driver install process is runing ";
const char kEnglishCaption[] = "USB Installer";

// System default languages and the notice each gets: only the whole identifier 0x0804 selects
// Chinese, not the primary language 0x04 of the other Chinese variants.
const struct NoticeCase {
  LANGID language;
  const char* text;
  const char* caption;
} kNoticeCases[] = {
    {0x0804, kChineseText, kChineseCaption}, {0x0404, kEnglishText, kEnglishCaption},
    {0x0C04, kEnglishText, kEnglishCaption}, {0x1004, kEnglishText, kEnglishCaption},
    {0x0004, kEnglishText, kEnglishCaption}, {0x0409, kEnglishText, kEnglishCaption},
    {0x0000, kEnglishText, kEnglishCaption},
};

TEST(BuildCommandLine, QuotesTheProgramAndSpacesTheArguments) {
  fake::Reset();
  const char* const two[] = {"a", "b"};
  const char* const tool[] = {"/LM /C"};
  const char* const spaced[] = {"x y", "z"};
  const char* const empty_last[] = {"a", ""};
  const char* const empty_only[] = {""};
  const struct {
    const char* name;
    const char* program;
    int argc;
    const char* const* argv;
    const char* line;
  } cases[] = {
      {"no arguments", "C:\\t.exe", 0, nullptr, "\"C:\\t.exe\""},
      {"negative count", "C:\\t.exe", -3, two, "\"C:\\t.exe\""},
      {"one", "C:\\t.exe", 1, two, "\"C:\\t.exe\" a"},
      {"two", "C:\\t.exe", 2, two, "\"C:\\t.exe\" a b"},
      {"the tool's switches", "D:\\Drivers\\USB Setup\\DPInst64.exe", 1, tool,
       "\"D:\\Drivers\\USB Setup\\DPInst64.exe\" /LM /C"},
      {"argument with spaces, unquoted", "t", 2, spaced, "\"t\" x y z"},
      {"empty last argument", "t", 2, empty_last, "\"t\" a "},
      {"empty only argument", "t", 1, empty_only, "\"t\" "},
      {"empty program", "", 0, nullptr, "\"\""},
  };
  for (const auto& c : cases) {
    char* line = BuildCommandLine(c.program, c.argc, c.argv);
    EXPECT_STREQ(c.line, line) << c.name;
    FreeString(line);
  }
  EXPECT_TRUE(fake::Win().live_blocks.empty());
}

TEST(BuildCommandLine, ExampleLengthAndHeapRefusal) {
  fake::Reset();
  const char* const tool[] = {"/LM /C"};
  char* line = BuildCommandLine("D:\\Drivers\\USB Setup\\DPInst64.exe", 1, tool);
  EXPECT_EQ(42u, strlen(line));
  FreeString(line);
  fake::Win().heap_blocks_before_refusal = 0;
  EXPECT_EQ(nullptr, BuildCommandLine("t", 1, tool));
}

TEST(InstallerExitCode, FailsOnBit31OrNoStart) {
  const struct {
    BOOL started;
    DWORD code;
    int result;
  } cases[] = {
      {TRUE, 0x00000000, 1},  {TRUE, 0x40000000, 1},  {TRUE, 0x7FFFFFFF, 1},
      {TRUE, 0x80000000, -1}, {TRUE, 0x80FFFFFF, -1}, {TRUE, 0x81000000, -1},
      {TRUE, 0xC0000000, -1}, {TRUE, 0xC0000005, -1}, {TRUE, 0xFFFFFFFF, -1},
      {TRUE, 0x00000080, 1},  {FALSE, 0, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.result, InstallerExitCode(c.started, c.code))
        << std::hex << c.code << " started " << c.started;
  }
}

TEST(ChooseNotice, OnlyChinesePrcGetsChinese) {
  for (const NoticeCase& c : kNoticeCases) {
    const NoticeTexts notice = ChooseNotice(c.language);
    EXPECT_STREQ(c.text, notice.text) << std::hex << c.language;
    EXPECT_STREQ(c.caption, notice.caption) << std::hex << c.language;
  }
  EXPECT_EQ(18u, strlen(kChineseText));  // Code page 936 bytes, two a character.
  EXPECT_EQ(11u, strlen(kChineseCaption));
}

using ProbeTest = WindowsTest;

TEST_F(ProbeTest, LogsThenAsksWithoutWaiting) {
  fake::Win().wait_results = {WAIT_TIMEOUT};
  EXPECT_EQ(1, IsDeviceInstallInProgress());
  EXPECT_EQ((Strings{"SetupLogErrorA IsDeviceInstallInProgress", "GetModuleHandleA setupapi.dll",
                     "GetProcAddress CMP_WaitNoPendingInstallEvents",
                     "CMP_WaitNoPendingInstallEvents 258"}),
            fake::Win().calls);
  EXPECT_EQ((Strings{"2 IsDeviceInstallInProgress"}), fake::Win().setup_log);
  EXPECT_EQ((std::vector<DWORD>{0}), fake::Win().wait_timeouts);
}

TEST_F(ProbeTest, OnlyATimedOutWaitMeansPending) {
  for (DWORD result : {0u, 1u, 257u, 259u, 0xFFFFFFFFu, 0x80000000u}) {
    fake::Reset();
    fake::Win().wait_results = {result};
    EXPECT_EQ(0, IsDeviceInstallInProgress()) << result;
  }
}

TEST_F(ProbeTest, FailuresAnswerNothingPending) {
  const struct {
    const char* name;
    void (*arrange)(fake::Windows& w);
  } cases[] = {
      {"setup log fails", [](fake::Windows& w) { w.setup_log_result = FALSE; }},
      {"setupapi not loaded", [](fake::Windows& w) { w.setupapi_loaded = false; }},
      {"export missing", [](fake::Windows& w) { w.has_wait_export = false; }},
  };
  for (const auto& c : cases) {
    fake::Reset();
    c.arrange(fake::Win());
    fake::Win().wait_results = {WAIT_TIMEOUT};
    const BOOL expected = fake::Win().setup_log_result ? 0 : 1;  // A failed log changes nothing.
    EXPECT_EQ(expected, IsDeviceInstallInProgress()) << c.name;
    EXPECT_EQ(1u, fake::Win().setup_log.size()) << c.name;
  }
}

using GuardTest = WindowsTest;

struct GuardCase {
  const char* name;
  std::deque<DWORD> wait_results;
  int probes;
  bool notice;
};

TEST_F(GuardTest, ProbesAndNotices) {
  const GuardCase cases[] = {
      {"nothing pending", {0, 0}, 2, false},
      {"pending, over before OK", {WAIT_TIMEOUT, 0}, 2, true},
      {"pending after OK", {WAIT_TIMEOUT, WAIT_TIMEOUT, WAIT_TIMEOUT, WAIT_TIMEOUT, 0}, 5, true},
      {"pending from the second probe only", {0, WAIT_TIMEOUT, WAIT_TIMEOUT, 0}, 4, false},
      {"failure value", {0xFFFFFFFF, 0}, 2, false},
  };
  for (const GuardCase& c : cases) {
    fake::Reset();
    fake::Win().wait_results = c.wait_results;
    WaitForPendingDeviceInstalls();
    EXPECT_EQ(c.probes, fake::Count("SetupLogErrorA")) << c.name;
    EXPECT_EQ(c.probes, fake::Count("CMP_WaitNoPendingInstallEvents")) << c.name;
    EXPECT_EQ(c.notice ? 1u : 0u, fake::Win().message_boxes.size()) << c.name;
    EXPECT_EQ(1, fake::Count("GetSystemDefaultLangID")) << c.name;
    if (c.notice) {
      // Between the first and the second probe, nowhere else.
      EXPECT_EQ(fake::IndexOf("CMP_WaitNoPendingInstallEvents") + 1, fake::IndexOf("MessageBoxA"))
          << c.name;
    }
  }
}

TEST_F(GuardTest, NoticeTextsFollowTheSystemLanguage) {
  for (const NoticeCase& c : kNoticeCases) {
    fake::Reset();
    fake::Win().system_language = c.language;
    fake::Win().wait_results = {WAIT_TIMEOUT, 0};
    WaitForPendingDeviceInstalls();
    ASSERT_EQ(1u, fake::Win().message_boxes.size());
    const fake::MessageBoxCall& box = fake::Win().message_boxes[0];
    EXPECT_EQ(nullptr, box.owner);
    EXPECT_EQ(c.text, box.text);
    EXPECT_EQ(c.caption, box.caption);
    EXPECT_EQ(MB_OK, box.type);
  }
}

TEST_F(GuardTest, NoticeThatCannotBeShownChangesNothing) {
  fake::Win().message_box_result = 0;
  fake::Win().wait_results = {WAIT_TIMEOUT, WAIT_TIMEOUT, 0};
  WaitForPendingDeviceInstalls();
  EXPECT_EQ(3, fake::Count("CMP_WaitNoPendingInstallEvents"));
  EXPECT_EQ(1u, fake::Win().message_boxes.size());
}

TEST_F(GuardTest, MissingSetupServicesLetTheInstallationGoAhead) {
  for (bool loaded : {false, true}) {
    fake::Reset();
    fake::Win().setupapi_loaded = loaded;
    fake::Win().has_wait_export = false;
    WaitForPendingDeviceInstalls();
    EXPECT_EQ(2, fake::Count("SetupLogErrorA"));
    EXPECT_TRUE(fake::Win().message_boxes.empty());
  }
}

using RunAndWaitTest = WindowsTest;

const char* const kToolArguments[] = {"/LM /C"};

TEST_F(RunAndWaitTest, StartsWaitsReadsAndCloses) {
  fake::Win().child_exit_code = 0xC0000005;
  DWORD exit_code = 1;
  EXPECT_TRUE(RunAndWait("C:\\a b\\DPInst32.exe", 1, kToolArguments, &exit_code));
  EXPECT_EQ(0xC0000005u, exit_code);
  EXPECT_EQ(
      (Strings{"CreateProcessA \"C:\\a b\\DPInst32.exe\" /LM /C", "WaitForSingleObject 4294967295",
               "GetExitCodeProcess", "CloseHandle process", "CloseHandle thread", "HeapFree"}),
      CallsOf({"CreateProcessA", "WaitForSingleObject", "GetExitCodeProcess", "CloseHandle",
               "HeapFree"}));
}

TEST_F(RunAndWaitTest, StartArguments) {
  DWORD exit_code;
  RunAndWait("C:\\t.exe", 1, kToolArguments, &exit_code);
  ASSERT_EQ(1u, fake::Win().process_starts.size());
  const fake::ProcessStart& start = fake::Win().process_starts[0];
  EXPECT_TRUE(start.application_name_null);
  EXPECT_TRUE(start.process_attributes_null);
  EXPECT_TRUE(start.thread_attributes_null);
  EXPECT_EQ(FALSE, start.inherit_handles);
  EXPECT_EQ(0u, start.creation_flags);
  EXPECT_TRUE(start.environment_null);
  EXPECT_TRUE(start.current_directory_null);
  STARTUPINFOA expected = {};
  expected.cb = sizeof(STARTUPINFOA);
  EXPECT_EQ(0, memcmp(&expected, &start.startup, sizeof(STARTUPINFOA)))
      << "the start-up record holds more than its size";
}

TEST_F(RunAndWaitTest, RefusedStartIsNotAnExitCodeOfZero) {
  fake::Win().create_process_result = FALSE;
  DWORD exit_code = 7;
  EXPECT_FALSE(RunAndWait("C:\\missing.exe", 1, kToolArguments, &exit_code));
  EXPECT_EQ(0u, exit_code);
  EXPECT_EQ(0, fake::Count("WaitForSingleObject"));
  EXPECT_EQ(0, fake::Count("CloseHandle"));
  EXPECT_EQ(1, fake::Count("HeapFree"));
}

TEST_F(RunAndWaitTest, HeapRefusalStartsNothing) {
  fake::Win().heap_blocks_before_refusal = 0;
  DWORD exit_code = 7;
  EXPECT_FALSE(RunAndWait("C:\\t.exe", 1, kToolArguments, &exit_code));
  EXPECT_EQ(0u, exit_code);
  EXPECT_EQ(0, fake::Count("CreateProcessA"));
  EXPECT_EQ(0, fake::Count("HeapFree"));
}

class WinMainTest : public WindowsTest {
 protected:
  int Run() {
    char arguments[] = "/quiet extra \"args\"";
    return WinMain(reinterpret_cast<HINSTANCE>(0x400000), nullptr, arguments, 0);
  }
};

TEST_F(WinMainTest, StepsInOrder) {
  fake::Win().module_file_name = "D:\\drv\\installer.exe";
  fake::Win().wow64_flag = TRUE;
  fake::Win().wait_results = {WAIT_TIMEOUT, WAIT_TIMEOUT, 0};
  EXPECT_EQ(1, Run());
  EXPECT_EQ((Strings{"SetDefaultDllDirectories 2048", "GetModuleFileNameA 261",
                     "GetSystemDefaultLangID", "SetupLogErrorA IsDeviceInstallInProgress",
                     "MessageBoxA", "SetupLogErrorA IsDeviceInstallInProgress",
                     "SetupLogErrorA IsDeviceInstallInProgress", "IsWow64Process",
                     "CreateProcessA \"D:\\drv\\DPInst64.exe\" /LM /C"}),
            CallsOf({"SetDefaultDllDirectories", "GetModuleFileNameA", "GetSystemDefaultLangID",
                     "SetupLogErrorA", "MessageBoxA", "IsWow64Process", "CreateProcessA"}));
  // The restriction comes before anything else.
  ASSERT_LE(3u, fake::Win().calls.size());
  EXPECT_EQ((Strings{"GetModuleHandleA kernel32.dll", "GetProcAddress SetDefaultDllDirectories",
                     "SetDefaultDllDirectories 2048"}),
            Strings(fake::Win().calls.begin(), fake::Win().calls.begin() + 3));
}

TEST_F(WinMainTest, ThirtyTwoBitTool) {
  fake::Win().module_file_name = "C:\\Users\\u\\Downloads\\drv\\installer.exe";
  EXPECT_EQ(1, Run());
  ASSERT_EQ(1u, fake::Win().process_starts.size());
  EXPECT_EQ("\"C:\\Users\\u\\Downloads\\drv\\DPInst32.exe\" /LM /C",
            fake::Win().process_starts[0].command_line);
}

TEST_F(WinMainTest, ExitCodeFollowsTheTool) {
  const struct {
    DWORD tool;
    int installer;
  } cases[] = {{0x00000000, 1}, {0x40000000, 1}, {0x80000000, -1}, {0xC0000000, -1}};
  for (const auto& c : cases) {
    fake::Reset();
    fake::Win().child_exit_code = c.tool;
    EXPECT_EQ(c.installer, Run()) << std::hex << c.tool;
  }
}

TEST_F(WinMainTest, ToolThatCannotStartFailsWithoutRetry) {
  fake::Win().create_process_result = FALSE;
  EXPECT_EQ(-1, Run());
  EXPECT_EQ(1, fake::Count("CreateProcessA"));
  EXPECT_TRUE(fake::Win().message_boxes.empty());
}

TEST_F(WinMainTest, HeapRefusalAtEveryBlockFailsSilently) {
  // The module directory, the tool path and the command line: refusing any starts nothing.
  for (int granted : {0, 1, 2}) {
    fake::Reset();
    fake::Win().heap_blocks_before_refusal = granted;
    EXPECT_EQ(-1, Run()) << granted;
    EXPECT_EQ(0, fake::Count("CreateProcessA")) << granted;
    EXPECT_TRUE(fake::Win().live_blocks.empty()) << granted;
  }
}

TEST_F(WinMainTest, MissingDllDirectoryRestrictionChangesNothing) {
  fake::Win().has_set_default_dll_directories = false;
  fake::Win().wow64_flag = TRUE;
  EXPECT_EQ(1, Run());
  ASSERT_EQ(1u, fake::Win().process_starts.size());
  EXPECT_EQ("\"C:\\drv\\DPInst64.exe\" /LM /C", fake::Win().process_starts[0].command_line);
}

}  // namespace
