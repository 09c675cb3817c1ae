// The launch library: module directory, bitness probe, tool path and DLL-search restriction.
#include <string>

#include "fake_windows.h"
#include "gtest/gtest.h"
#include "launch/dll_search.h"
#include "launch/heap_string.h"
#include "launch/module_directory.h"
#include "launch/tool_path.h"
#include "launch/wow64.h"
#include "windows_test.h"

namespace {

using Strings = std::vector<std::string>;

bool SingleByte(unsigned char) { return false; }

bool Gbk(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// U+4E57 in code page 936: a lead byte and a trailing 0x5C.
const std::string kCharWithBackslashByte = "\x81\x5C";

struct CutCase {
  const char* name;
  std::string path;
  LeadByteTest is_lead_byte;
  std::string directory;
};

TEST(ModuleDirectoryLength, CutsBeforeTheLastBackslashCharacter) {
  const CutCase cases[] = {
      {"plain", "D:\\drv\\setup.exe", SingleByte, "D:\\drv"},
      {"nested", "C:\\a b\\c\\installer.exe", SingleByte, "C:\\a b\\c"},
      {"root", "C:\\installer.exe", SingleByte, "C:"},
      {"empty", "", SingleByte, ""},
      {"no backslash", "installer.exe", SingleByte, ""},
      {"leading backslash only", "\\installer.exe", SingleByte, ""},
      {"trailing backslash", "C:\\drv\\", SingleByte, "C:\\drv"},
      {"UNC", "\\\\server\\share\\x.exe", SingleByte, "\\\\server\\share"},
      {"936: 0x5C trail byte in the file name", "C:\\drv\\a" + kCharWithBackslashByte + "b.exe",
       Gbk, "C:\\drv"},
      {"936: 0x5C trail byte in the directory", "C:\\d" + kCharWithBackslashByte + "\\x.exe", Gbk,
       "C:\\d" + kCharWithBackslashByte},
      {"936: file name ending in the character", "C:\\drv\\" + kCharWithBackslashByte, Gbk,
       "C:\\drv"},
      {"936: lone lead byte at the end", "C:\\drv\\x\x81", Gbk, "C:\\drv"},
      // Bytes after the terminator that a walk past it would take for more of the path.
      {"936: lone lead byte, then the terminator, then backslashes",
       std::string("C:\\drv\\x\x81" "\0" "\\y\\z", 14), Gbk, "C:\\drv"},
      {"1252: the same bytes are two characters", "C:\\drv\\a" + kCharWithBackslashByte + "b.exe",
       SingleByte, "C:\\drv\\a\x81"},
  };
  for (const CutCase& c : cases) {
    EXPECT_EQ(c.directory, c.path.substr(0, ModuleDirectoryLength(c.path.c_str(), c.is_lead_byte)))
        << c.name;
  }
}

class GetModuleDirectoryTest : public WindowsTest {
 protected:
  std::string Directory() {
    char* directory = GetModuleDirectory();
    EXPECT_NE(nullptr, directory);
    const std::string result = directory ? directory : "(null)";
    FreeString(directory);
    return result;
  }
};

TEST_F(GetModuleDirectoryTest, OrdinaryName) {
  fake::Win().module_file_name = "D:\\drv\\setup.exe";
  EXPECT_EQ("D:\\drv", Directory());
  EXPECT_EQ((Strings{"GetModuleFileNameA 261"}), CallsOf({"GetModuleFileNameA"}));
}

TEST_F(GetModuleDirectoryTest, WalksTheAnsiCodePage) {
  fake::Win().code_page = 936;
  fake::Win().module_file_name = "C:\\drv\\" + kCharWithBackslashByte + ".exe";
  EXPECT_EQ("C:\\drv", Directory());
}

TEST_F(GetModuleDirectoryTest, NoNameGivesAnEmptyDirectory) {
  fake::Win().module_file_name_fails = true;
  EXPECT_EQ("", Directory());
}

// A long name cut to 260 characters can end at an ancestor's backslash; the whole name is fetched
// instead, into larger blocks.
TEST_F(GetModuleDirectoryTest, FetchesLongNamesWhole) {
  for (bool without_terminator : {false, true}) {
    for (size_t length : {260u, 261u, 262u, 600u, 32767u}) {
      fake::Reset();
      fake::Win().cut_without_terminator = without_terminator;
      const std::string directory = "C:\\" + std::string(length - 3 - 6, 'd');
      fake::Win().module_file_name = directory + "\\x.exe";
      ASSERT_EQ(length, fake::Win().module_file_name.size());
      // Compared as a truth value: a failure would print 32 KiB of 'd'.
      EXPECT_TRUE(directory == Directory()) << length << " " << without_terminator;
      EXPECT_TRUE(fake::Win().live_blocks.empty());
    }
  }
}

TEST_F(GetModuleDirectoryTest, GrowsTheBufferByDoubling) {
  fake::Win().module_file_name = "C:\\" + std::string(700, 'd') + "\\x.exe";
  Directory();
  EXPECT_EQ(
      (Strings{"GetModuleFileNameA 261", "GetModuleFileNameA 522", "GetModuleFileNameA 1044"}),
      CallsOf({"GetModuleFileNameA"}));
  fake::Reset();
  fake::Win().module_file_name = "C:\\" + std::string(32700, 'd') + "\\x.exe";
  Directory();
  EXPECT_EQ("GetModuleFileNameA 32768", fake::Win().calls[fake::LastIndexOf("GetModuleFileNameA")]);
}

TEST_F(GetModuleDirectoryTest, NullWhenTheNameExceedsTheLongestPath) {
  fake::Win().module_file_name = "C:\\" + std::string(32800, 'd') + "\\x.exe";
  EXPECT_EQ(nullptr, GetModuleDirectory());
}

TEST_F(GetModuleDirectoryTest, NullWhenTheHeapRefuses) {
  fake::Win().heap_blocks_before_refusal = 0;
  EXPECT_EQ(nullptr, GetModuleDirectory());
  fake::Reset();
  fake::Win().module_file_name = "C:\\" + std::string(400, 'd') + "\\x.exe";
  fake::Win().heap_blocks_before_refusal = 1;  // The second, larger block is refused.
  EXPECT_EQ(nullptr, GetModuleDirectory());
}

using Wow64Test = WindowsTest;

const std::string kFullKernel32 =
    std::string("LoadLibraryA ") + fake::kSystemDirectory + "\\kernel32.dll";

TEST_F(Wow64Test, AnswersTheStoredFlagAndReleasesKernel32) {
  fake::Win().wow64_flag = 7;  // Handed on as stored, not reduced to 1.
  EXPECT_EQ(7, IsRunningUnderWow64());
  EXPECT_EQ((Strings{"GetSystemDirectoryA 261", kFullKernel32, "GetProcAddress IsWow64Process",
                     "IsWow64Process", "FreeLibrary"}),
            fake::Win().calls);
}

TEST_F(Wow64Test, ThirtyTwoBitWindows) {
  fake::Win().wow64_flag = FALSE;
  EXPECT_EQ(FALSE, IsRunningUnderWow64());
}

struct ProbeFailure {
  const char* name;
  void (*arrange)(fake::Windows& w);
  BOOL answer;
  Strings loads;
  bool released;
};

TEST_F(Wow64Test, FailuresFoldIntoADefault) {
  const std::string bare = "LoadLibraryA kernel32.dll";
  const ProbeFailure cases[] = {
      {"no system directory",
       [](fake::Windows& w) { w.system_directory = "", w.wow64_flag = TRUE; },
       TRUE,
       {bare},
       true},
      {"system directory too long for the buffer",
       [](fake::Windows& w) { w.system_directory = std::string(300, 's'), w.wow64_flag = TRUE; },
       TRUE,
       {bare},
       true},
      {"full-path load refused",
       [](fake::Windows& w) {
         w.refused_loads.insert(std::string(fake::kSystemDirectory) + "\\kernel32.dll");
         w.wow64_flag = TRUE;
       },
       TRUE,
       {kFullKernel32, bare},
       true},
      {"neither load",
       [](fake::Windows& w) {
         w.refused_loads = {std::string(fake::kSystemDirectory) + "\\kernel32.dll", "kernel32.dll"};
         w.wow64_flag = TRUE;
       },
       FALSE,
       {kFullKernel32, bare},
       false},
      {"export missing",
       [](fake::Windows& w) { w.has_is_wow64_process = false, w.wow64_flag = TRUE; },
       FALSE,
       {kFullKernel32},
       true},
      {"call fails after storing nonzero",
       [](fake::Windows& w) { w.is_wow64_process_result = FALSE, w.wow64_flag = TRUE; },
       FALSE,
       {kFullKernel32},
       true},
  };
  for (const ProbeFailure& c : cases) {
    fake::Reset();
    c.arrange(fake::Win());
    EXPECT_EQ(c.answer, IsRunningUnderWow64()) << c.name;
    EXPECT_EQ(c.loads, CallsOf({"LoadLibraryA"})) << c.name;
    EXPECT_EQ(c.released ? 1 : 0, fake::Count("FreeLibrary")) << c.name;
    EXPECT_EQ(0, fake::Win().kernel32_references) << c.name;
  }
}

// The probe's buffers hold a system directory of up to 260 characters; one more does not fit and
// kernel32 is then loaded by its bare name.
TEST_F(Wow64Test, SystemDirectoryAtTheBufferLimit) {
  for (size_t length : {259u, 260u, 261u}) {
    fake::Reset();
    fake::Win().system_directory = "C:\\" + std::string(length - 3, 's');
    fake::Win().wow64_flag = TRUE;
    const Strings loads = length <= 260 ? Strings{"LoadLibraryA " + fake::Win().system_directory +
                                                  "\\kernel32.dll"}
                                        : Strings{"LoadLibraryA kernel32.dll"};
    EXPECT_EQ(TRUE, IsRunningUnderWow64()) << length;
    EXPECT_EQ(loads, CallsOf({"LoadLibraryA"})) << length;
    EXPECT_EQ(0, fake::Win().kernel32_references) << length;
  }
}

TEST(JoinToolPath, JoinsWithoutSeparatorOrQuotes) {
  fake::Reset();
  const struct {
    const char* directory;
    BOOL wow64;
    const char* path;
  } cases[] = {
      {"D:\\drv", TRUE, "D:\\drv\\DPInst64.exe"},
      {"D:\\drv", 2, "D:\\drv\\DPInst64.exe"},
      {"D:\\drv", FALSE, "D:\\drv\\DPInst32.exe"},
      {"C:\\a b", FALSE, "C:\\a b\\DPInst32.exe"},
      {"", TRUE, "\\DPInst64.exe"},
      {"", FALSE, "\\DPInst32.exe"},
  };
  for (const auto& c : cases) {
    char* path = JoinToolPath(c.directory, c.wow64);
    EXPECT_STREQ(c.path, path);
    FreeString(path);
  }
}

using ComposeToolPathTest = WindowsTest;

TEST_F(ComposeToolPathTest, ProbesOnceAndPicksTheBuild) {
  fake::Win().wow64_flag = TRUE;
  char* path = ComposeToolPath("D:\\drv");
  EXPECT_STREQ("D:\\drv\\DPInst64.exe", path);
  EXPECT_EQ(1, fake::Count("IsWow64Process"));
  FreeString(path);
}

TEST_F(ComposeToolPathTest, NullInNullOut) {
  EXPECT_EQ(nullptr, ComposeToolPath(nullptr));
  EXPECT_EQ(0, fake::Count("IsWow64Process"));
}

TEST_F(ComposeToolPathTest, NullWhenTheHeapRefuses) {
  fake::Win().heap_blocks_before_refusal = 0;
  EXPECT_EQ(nullptr, ComposeToolPath("D:\\drv"));
}

using DllSearchTest = WindowsTest;

TEST_F(DllSearchTest, RestrictsToTheSystemDirectory) {
  RestrictDllSearchToSystemDirectory();
  EXPECT_EQ((std::vector<DWORD>{0x800}), fake::Win().dll_directories_flags);
  EXPECT_EQ(0, fake::Count("LoadLibraryA"));  // Takes no reference on kernel32.
}

TEST_F(DllSearchTest, MissingOrFailingCallIsSilent) {
  fake::Win().has_set_default_dll_directories = false;
  RestrictDllSearchToSystemDirectory();
  EXPECT_TRUE(fake::Win().dll_directories_flags.empty());
  fake::Reset();
  fake::Win().set_default_dll_directories_result = FALSE;
  RestrictDllSearchToSystemDirectory();
  EXPECT_EQ(1u, fake::Win().dll_directories_flags.size());
}

}  // namespace
