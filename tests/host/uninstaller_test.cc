// The uninstaller: its two shell launches and its exit code.
#include <windows.h>

#include <string>

#include "fake_windows.h"
#include "gtest/gtest.h"
#include "uninstaller/shell_launch.h"
#include "windows_test.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

namespace {

using Strings = std::vector<std::string>;

TEST(ShellAccepted, AboveThirtyTwo) {
  const struct {
    INT_PTR result;
    BOOL accepted;
  } cases[] = {{0, FALSE}, {2, FALSE}, {31, FALSE}, {32, FALSE}, {33, TRUE}, {42, TRUE}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.accepted, ShellAccepted(reinterpret_cast<HINSTANCE>(c.result))) << c.result;
  }
}

class UninstallerTest : public WindowsTest {
 protected:
  int Run() {
    char arguments[] = "/S /U other.inf";
    return WinMain(reinterpret_cast<HINSTANCE>(0x400000), nullptr, arguments, 0);
  }
};

TEST_F(UninstallerTest, TwoLaunchesInOrderWithExactArguments) {
  fake::Win().module_file_name = "D:\\drv pkg\\uninstaller.exe";
  fake::Win().wow64_flag = TRUE;
  EXPECT_EQ(1, Run());
  const std::vector<fake::ShellLaunch>& launches = fake::Win().shell_launches;
  ASSERT_EQ(2u, launches.size());
  const char* parameters[] = {"/S /U quorixusbmdm.inf /C", "/S /U quorixusbser.inf /C"};
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(nullptr, launches[i].owner);
    EXPECT_TRUE(launches[i].operation_null);
    EXPECT_EQ("D:\\drv pkg\\DPInst64.exe", launches[i].file);
    EXPECT_EQ(parameters[i], launches[i].parameters);
    EXPECT_FALSE(launches[i].directory_null);
    EXPECT_EQ("D:\\drv pkg", launches[i].directory);
    EXPECT_EQ(SW_SHOW, launches[i].show_command);
  }
  EXPECT_EQ(1, fake::Count("IsWow64Process"));
  EXPECT_LT(fake::IndexOf("IsWow64Process"), fake::IndexOf("ShellExecuteA"));
  EXPECT_EQ(0, fake::Count("MessageBoxA"));
}

TEST_F(UninstallerTest, ThirtyTwoBitOrFailedProbe) {
  for (bool export_missing : {false, true}) {
    fake::Reset();
    fake::Win().has_is_wow64_process = !export_missing;
    fake::Win().wow64_flag = export_missing;
    EXPECT_EQ(1, Run());
    ASSERT_EQ(2u, fake::Win().shell_launches.size());
    EXPECT_EQ("C:\\drv\\DPInst32.exe", fake::Win().shell_launches[0].file);
    EXPECT_EQ("C:\\drv\\DPInst32.exe", fake::Win().shell_launches[1].file);
  }
}

TEST_F(UninstallerTest, EmptyModuleDirectoryIsStillPassed) {
  fake::Win().module_file_name_fails = true;
  Run();
  ASSERT_EQ(2u, fake::Win().shell_launches.size());
  for (const fake::ShellLaunch& launch : fake::Win().shell_launches) {
    EXPECT_FALSE(launch.directory_null);
    EXPECT_EQ("", launch.directory);
    EXPECT_EQ("\\DPInst32.exe", launch.file);
  }
}

TEST_F(UninstallerTest, ExitCodeFromBothShellResults) {
  const struct {
    INT_PTR first;
    INT_PTR second;
    int exit_code;
  } cases[] = {{42, 42, 1}, {33, 33, 1}, {2, 42, -1}, {42, 2, -1}, {32, 33, -1}, {0, 0, -1}};
  for (const auto& c : cases) {
    fake::Reset();
    fake::Win().shell_results = {c.first, c.second};
    EXPECT_EQ(c.exit_code, Run()) << c.first << " " << c.second;
    EXPECT_EQ(2u, fake::Win().shell_launches.size()) << "the second launch follows a failed first";
  }
}

TEST_F(UninstallerTest, HeapRefusalLaunchesNothing) {
  for (int granted : {0, 1}) {
    fake::Reset();
    fake::Win().heap_blocks_before_refusal = granted;
    EXPECT_EQ(-1, Run()) << granted;
    EXPECT_TRUE(fake::Win().shell_launches.empty()) << granted;
  }
}

TEST_F(UninstallerTest, RestrictsDllSearchFirst) {
  Run();
  EXPECT_EQ(fake::IndexOf("SetDefaultDllDirectories 2048"),
            fake::IndexOf("GetProcAddress SetDefaultDllDirectories") + 1);
  EXPECT_LT(fake::IndexOf("SetDefaultDllDirectories"), fake::IndexOf("GetModuleFileNameA"));
}

}  // namespace
