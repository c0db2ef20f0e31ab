#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/diagnostics.h"
#include "platform/encoding.h"
#include "platform/file_lock.h"
#include "platform/os_error.h"
#include "platform/process.h"
#include "platform/testing/test_support.h"

namespace {

const std::string kSep(1, kPathSeparator);

// Points the home directory at a temporary directory for one test.
class HomeFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = HomeDirectory();
    ASSERT_TRUE(SetHomeDirectory(temp_.Path()));
  }
  void TearDown() override { SetHomeDirectory(saved_); }
  std::string At(const std::string& relative) const {
    std::string path = temp_.Path() + relative;  // no trail byte is ever '/'
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
  }
  TempDir temp_;
  std::string saved_;
};

// Native separators to "/", leaving Shift_JIS trail bytes alone.
std::string SlashSeparated(std::string path) {
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsShiftJisLead(static_cast<unsigned char>(path[i]))) ++i;
    else if (path[i] == kPathSeparator) path[i] = '/';
  }
  return path;
}

std::vector<std::string> FindAll(const std::string& pattern, int flags, const std::string& root) {
  std::vector<std::string> found;
  FileFinder finder;
  EXPECT_TRUE(finder.Start(pattern.c_str(), flags));
  while (!finder.IsFinished()) {
    std::string path = finder.CurrentPath().Text();
    EXPECT_EQ(path.substr(0, root.size()), root);
    found.push_back(SlashSeparated(path.substr(root.size())));
    if (!finder._Next()) break;
  }
  std::sort(found.begin(), found.end());
  return found;
}

bool ExistsOnDisk(const std::string& shiftJisPath) {
  std::string utf8 = ShiftJisToUtf8(shiftJisPath);
  return std::filesystem::exists(std::filesystem::path(std::u8string(utf8.begin(), utf8.end())));
}

TEST_F(HomeFixture, PathResolutionAgainstHome) {
  WriteTestFile(At("a/b/keep.txt"), "x");
  ASSERT_TRUE(SetHomeDirectory(At("a/b/")));
  MessageRecorder recorder;
  struct Case {
    const char* text;
    std::string expected;
  } cases[] = {
      {"x.txt", At("a/b/x.txt")},
      {"./x.txt", At("a/b/x.txt")},
      {"././x.txt", At("a/b/x.txt")},
      {"../y.txt", At("a/y.txt")},
      {".\\../y.txt", At("a/y.txt")},
      {"d1/d2\\n.ext", At("a/b/d1/d2/n.ext")},
  };
  for (const Case& c : cases) {
    FilePath path;
    EXPECT_TRUE(path.SetPath(c.text)) << c.text;
    EXPECT_EQ(path.Text(), c.expected) << c.text;
  }
  FilePath path(At("a/b/d1/n.ext").c_str());
  EXPECT_STREQ(path.Name(), "n.ext");
  EXPECT_STREQ(path.Extension(), "ext");
  EXPECT_EQ(path.Directory(), At("a/b/d1/"));
  EXPECT_FALSE(path.IsDirectory());
  EXPECT_TRUE(recorder.messages.empty());

  // Climbing above the root fails and names the remaining text.
  std::string home = HomeDirectory();
  size_t separators = std::count(home.begin(), home.end(), kPathSeparator);
  std::string climb;
  for (size_t i = 0; i < separators; ++i) climb += "../";
  EXPECT_FALSE(path.SetPath((climb + "z").c_str()));
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"指定されたパス<../z>は構文がおかしい"});
  EXPECT_TRUE(path.IsEmpty());

  EXPECT_FALSE(path.SetPath(std::string(300, 'n').c_str()));  // longer than 260 bytes
}

TEST_F(HomeFixture, TrailByteBackslashIsNoSeparator) {
  // "表" is 95 5C and "ソ" is 83 5C: their trail bytes look like a backslash.
  FilePath path;
  ASSERT_TRUE(path.SetJoined(temp_.Path().c_str(), "表/表示ソ"));
  EXPECT_EQ(std::string(path.Text()), At("表/表示ソ"));
  EXPECT_STREQ(path.Name(), "表示ソ");
  EXPECT_FALSE(path.HasExtension());
  EXPECT_TRUE(path.SetName("ソ.txt"));
  EXPECT_EQ(path.Directory(), At("表/"));
  EXPECT_STREQ(path.Extension(), "txt");
  EXPECT_TRUE(path.SetName(nullptr));
  EXPECT_TRUE(path.IsDirectory());
}

TEST_F(HomeFixture, ShiftJisFileNameOnRealFiles) {
  MessageRecorder recorder;
  FileEntry directory(At("表/").c_str());
  ASSERT_TRUE(directory.CreateDir());
  std::string name = At("表/表示ソ.txt");
  {
    DiskFile file(name.c_str());
    ASSERT_TRUE(file.Open(FileOpenMode::CreateAlways));
    ASSERT_TRUE(file.Write("abc", 3));
  }
  EXPECT_TRUE(ExistsOnDisk(name));  // stored under the system's own encoding
  EXPECT_EQ(FindAll(At("*.txt"), FileFinder::kFiles | FileFinder::kRecursive, temp_.Path()),
            std::vector<std::string>{"表/表示ソ.txt"});
  std::string text;
  EXPECT_TRUE(ReadAll(name.c_str(), text));
  EXPECT_EQ(text, "abc");
  FileEntry entry(name.c_str());
  EXPECT_TRUE(entry.ExistsPath());
  EXPECT_TRUE(entry.Delete());
  EXPECT_FALSE(entry.ExistsPath());
  EXPECT_TRUE(directory.DeleteDir());
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(HomeFixture, FinderRecursesAndFiltersExtensions) {
  for (const char* name : {"a.html", "b.HTML", "c.htm", "d.html5", "e", ".hidden.html", "sub/f.html",
                           "sub/deep/g.html", "sub/deep/h.txt", "sub/deep/deeper/i.html"})
    WriteTestFile(At(name), "x");
  MessageRecorder recorder;
  const std::string& root = temp_.Path();
  EXPECT_EQ(FindAll(At("*.html"), FileFinder::kFiles | FileFinder::kRecursive, root),
            (std::vector<std::string>{"a.html", "b.HTML", "sub/deep/deeper/i.html", "sub/deep/g.html", "sub/f.html"}));
  EXPECT_EQ(FindAll(At("*.html"), FileFinder::kFiles, root), (std::vector<std::string>{"a.html", "b.HTML"}));
  EXPECT_EQ(FindAll(At("*.*"), FileFinder::kFiles, root),
            (std::vector<std::string>{"a.html", "b.HTML", "c.htm", "d.html5", "e"}));
  EXPECT_EQ(FindAll(At("*"), FileFinder::kDirectories | FileFinder::kRecursive, root),
            (std::vector<std::string>{"sub", "sub/deep", "sub/deep/deeper"}));
  EXPECT_EQ(FindAll(At("nothing/*.*"), FileFinder::kFiles | FileFinder::kRecursive, root), std::vector<std::string>{});
  EXPECT_TRUE(recorder.messages.empty());

  FileFinder finder;
  ASSERT_TRUE(finder.Start(At("a.html").c_str(), FileFinder::kFiles));
  ASSERT_FALSE(finder.IsFinished());
  EXPECT_EQ(finder.CurrentFindData().name, "a.html");
  EXPECT_EQ(finder.CurrentFindData().size, 1u);
  LocalTime time;
  EXPECT_TRUE(finder.CurrentLocalTime(time));
  EXPECT_GE(time.year, 2020);
  EXPECT_TRUE(finder._Next());
  EXPECT_TRUE(finder.IsFinished());
  EXPECT_FALSE(finder._Next());
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"既に終了している FileFinder に対して _Next() がコールされた"});
}

TEST_F(HomeFixture, ExistsPathWithWildcards) {
  WriteTestFile(At("Report.TXT"), "x");
  struct Case {
    const char* name;
    bool exists;
  } cases[] = {{"*.txt", true}, {"rep*.t?t", true}, {"Report.TXT", true}, {"*.csv", false},
               {"R?port.*", true}, {"Report", false}, {"missing/*.txt", false}};
  for (const Case& c : cases) EXPECT_EQ(FileEntry(At(c.name).c_str()).ExistsPath(), c.exists) << c.name;
  EXPECT_TRUE(FileEntry(temp_.Path().c_str()).ExistsPath());
}

// "D:\kabu\" as an option holds it, with the separator that callers add, and
// drive roots ("Z:\" is Wine's view of "/").
TEST_F(HomeFixture, DirectoriesEndingInSeparatorsExist) {
  WriteTestFile(At("kabu/7203.xls"), "x");
  std::string s(1, kPathSeparator);
  std::string root = kPathSeparator == '\\' ? "Z:\\" : "/";
  for (const std::string& path : {At("kabu") + s, At("kabu") + s + s, At("kabu") + s + "/" + s, temp_.Path() + s, root,
                                   root + s, At("kabu/7203.xls") + s})
    EXPECT_TRUE(FileEntry(path.c_str()).ExistsPath()) << path;
  for (const std::string& path : {At("none") + s, At("none") + s + s, At("kabu/none") + s})
    EXPECT_FALSE(FileEntry(path.c_str()).ExistsPath()) << path;
}

TEST_F(HomeFixture, DeleteDirRemovesDeepTree) {
  for (const char* name : {"t/1.txt", "t/a/2.txt", "t/a/b/3.txt", "t/a/b/c/4.txt", "t/a/b/c/.dot", "t/x/y/z/5.txt"})
    WriteTestFile(At(name), "x");
  MessageRecorder recorder;
  FileEntry tree(At("t/").c_str());
  EXPECT_TRUE(tree.DeleteDir());
  EXPECT_FALSE(TestPathExists(At("t")));
  EXPECT_TRUE(recorder.messages.empty());

  FileEntry file(At("file").c_str());
  EXPECT_FALSE(file.DeleteDir());
  EXPECT_FALSE(file.CreateDir());
  EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{"DeleteDir がファイル名", "CreateDir がファイル名"}));
}

TEST_F(HomeFixture, DeleteDirTakesLinksNotWhatTheyPointTo) {
  WriteTestFile(At("precious/keep.txt"), "x");
  WriteTestFile(At("out/view/1.html"), "x");
  std::error_code error;
  std::filesystem::create_directory_symlink(At("precious"), At("out/link"), error);
  if (error) GTEST_SKIP() << "no symbolic links here";
  std::filesystem::create_directory_symlink(At("out"), At("out/view/up"), error);  // a loop
  FileFinder finder;
  int found = 0;
  ASSERT_TRUE(finder.Start(At("out/*.*").c_str(), FileFinder::kFiles | FileFinder::kRecursive));
  for (; !finder.IsFinished() && found < 100; finder._Next()) ++found;
  EXPECT_LT(found, 100);
  MessageRecorder recorder;
  FileEntry out(At("out/").c_str());
  EXPECT_TRUE(out.DeleteDir());
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_FALSE(TestPathExists(At("out")));
  EXPECT_EQ(ReadTestFile(At("precious/keep.txt")), "x");
}

TEST_F(HomeFixture, MoveCopyAndDelete) {
  WriteTestFile(At("from.txt"), "from");
  WriteTestFile(At("to.txt"), "to");
  MessageRecorder recorder;
  FileEntry entry(At("from.txt").c_str());
  EXPECT_FALSE(entry.MoveTo(At("to.txt").c_str(), false));
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"MoveFileEx に失敗"});
  EXPECT_EQ(ReadTestFile(At("to.txt")), "to");
  EXPECT_TRUE(entry.MoveTo(At("to.txt").c_str(), true));
  EXPECT_EQ(std::string(entry.Path().Text()), At("to.txt"));
  EXPECT_EQ(ReadTestFile(At("to.txt")), "from");
  EXPECT_FALSE(TestPathExists(At("from.txt")));

  // Copying over a read-only file clears its read-only attribute first.
  WriteTestFile(At("ro.txt"), "old");
  FileEntry readOnly(At("ro.txt").c_str());
  EXPECT_TRUE(readOnly.SetAttributes(kAttributeReadOnly));
  EXPECT_TRUE(entry.CopyTo("ro.txt"));
  EXPECT_EQ(ReadTestFile(At("ro.txt")), "from");
  // A copy onto the file itself fails and keeps it.
  EXPECT_FALSE(entry.CopyTo(At("to.txt").c_str()));
  EXPECT_EQ(ReadTestFile(At("to.txt")), "from");
  EXPECT_EQ(recorder.Texts().back(), "CopyFile に失敗");

  recorder.messages.clear();
  EXPECT_TRUE(entry.Delete(true));  // recycle bin: silent, nothing deleted
  EXPECT_TRUE(TestPathExists(At("to.txt")));
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_TRUE(entry.Delete(false));
  EXPECT_FALSE(TestPathExists(At("to.txt")));
  EXPECT_FALSE(entry.Delete(false));
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"DeleteFile に失敗"});
}

TEST_F(HomeFixture, DiskFileReadWriteAndModes) {
  MessageRecorder recorder;
  std::string name = At("data.bin");
  DiskFile file(name.c_str());
  ASSERT_TRUE(file.Open(FileOpenMode::CreateAlways));
  EXPECT_TRUE(file.Write("0123456789", 10));
  EXPECT_FALSE(file.Write("", 0));
  ASSERT_TRUE(file.Seek(SeekOrigin::Start));
  char buffer[16] = {};
  EXPECT_TRUE(file.Read(buffer, 4));
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_TRUE(file.Read(buffer, 0));
  ASSERT_TRUE(file.Seek(SeekOrigin::End));
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_FALSE(file.Read(buffer, 10));
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"ファイル<" + name + ">の読み込みに失敗"});
  file.Close();

  recorder.messages.clear();
  DiskFile again(name.c_str());
  EXPECT_FALSE(again.Open(FileOpenMode::CreateNew));
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"ファイル<" + name + ">のオープンに失敗"});
  ASSERT_TRUE(again.Open(FileOpenMode::OpenReadOnly));
  std::string text;
  EXPECT_TRUE(again.ReadAll(text));
  EXPECT_EQ(text, "0123456789");

  WriteTestFile(At("empty"), "");
  EXPECT_TRUE(ReadAll(At("empty").c_str(), text));
  EXPECT_EQ(text, "");

  // A path ending in a separator: CreateAlways makes the directory, other modes fail.
  recorder.messages.clear();
  DiskFile directory(At("newdir/").c_str());
  EXPECT_FALSE(directory.Open(FileOpenMode::OpenReadOnly));
  EXPECT_TRUE(directory.Open(FileOpenMode::CreateAlways));
  EXPECT_TRUE(TestPathExists(At("newdir")));
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(HomeFixture, ReplaceFileContentsPassesOverTemporariesOfKilledRuns) {
  // A killed process with our id (ids are reused) left its temporaries: they
  // are neither written into nor in the way.
  for (int n = 0; n < 64; ++n) WriteTestFile(At(FormatString("page.html.tmp%u_%d", CurrentProcessId(), n)), "stale");
  FilePath path(At("page.html").c_str());
  EXPECT_TRUE(ReplaceFileContents(path, "new"));
  EXPECT_EQ(ReadTestFile(At("page.html")), "new");
  EXPECT_EQ(ReadTestFile(At(FormatString("page.html.tmp%u_0", CurrentProcessId()))), "stale");
}

TEST_F(HomeFixture, AFileLockIsHeldUntilItsOwnerGoes) {
  FilePath path(At("_run.lock").c_str());
  auto first = std::make_unique<FileLock>();
  EXPECT_EQ(first->Lock(path), FileLock::kLocked);
  FileLock second;
  EXPECT_EQ(second.Lock(path), FileLock::kBusy);
  first.reset();
  EXPECT_EQ(second.Lock(path), FileLock::kLocked);
  FileLock third;
  EXPECT_EQ(third.Lock(FilePath(At("missing/_run.lock").c_str())), FileLock::kFailed);
}

TEST_F(HomeFixture, ReplaceFileContentsLeavesNoTemporary) {
  WriteTestFile(At("page.html"), "old");
  FilePath path("page.html");
  EXPECT_TRUE(ReplaceFileContents(path, "new contents"));
  EXPECT_EQ(ReadTestFile(At("page.html")), "new contents");
  EXPECT_EQ(FindAll(At("*"), FileFinder::kFiles, temp_.Path()), std::vector<std::string>{"page.html"});
}

// A failed replacement reports like every other file operation, with the
// system's code kept beside the message; the quiet form hands the same failure
// back as data. Either way the old file stays and no temporary is left.
TEST_F(HomeFixture, AFailedReplacementReportsAndKeepsTheSystemCode) {
  FilePath missing(At("no/such/dir/x.html").c_str());
  const std::string message = "ファイル<" + At("no/such/dir/x.html") + ">の書き込みに失敗";
  {
    MessageRecorder recorder;
    EXPECT_FALSE(ReplaceFileContents(missing, "x"));
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{message});
    EXPECT_EQ(LastOsError().message, message);
    EXPECT_TRUE(IsNotFoundError(LastOsError().code)) << LastOsError().code;
  }
  {
    MessageRecorder recorder;
    std::optional<OsError> failure = TryReplaceFileContents(missing, "x");
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->message, message);
    EXPECT_TRUE(IsNotFoundError(failure->code)) << failure->code;
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_FALSE(TryReplaceFileContents(FilePath(At("ok.txt").c_str()), "x").has_value());
  }
  // A directory stands where the file should go: the rename fails, the
  // directory stays, the temporary goes.
  WriteTestFile(At("page.html/inside"), "kept");
  MessageRecorder recorder;
  EXPECT_FALSE(ReplaceFileContents(FilePath(At("page.html").c_str()), "new"));
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"ファイル<" + At("page.html") + ">の書き込みに失敗"});
  EXPECT_NE(LastOsError().code, 0);
  EXPECT_EQ(ReadTestFile(At("page.html/inside")), "kept");
  EXPECT_EQ(FindAll(At("*"), FileFinder::kFiles, temp_.Path()), std::vector<std::string>{"ok.txt"});
}

// Every file operation keeps the code of the call that failed: a caller can tell
// a missing file from another failure without reading the message.
TEST_F(HomeFixture, FileFailuresKeepTheSystemCode) {
  MessageRecorder recorder;
  DiskFile file(At("missing.txt").c_str());
  EXPECT_FALSE(file.Open(FileOpenMode::OpenReadOnly));
  EXPECT_EQ(LastOsError().message, "ファイル<" + At("missing.txt") + ">のオープンに失敗");
  EXPECT_TRUE(IsNotFoundError(LastOsError().code)) << LastOsError().code;

  FileEntry entry(At("missing.txt").c_str());
  EXPECT_FALSE(entry.Delete());
  EXPECT_EQ(LastOsError().message, "DeleteFile に失敗");
  EXPECT_TRUE(IsNotFoundError(LastOsError().code)) << LastOsError().code;

  WriteTestFile(At("a.txt"), "a");
  WriteTestFile(At("b.txt"), "b");
  FileEntry source(At("a.txt").c_str());
  EXPECT_FALSE(source.MoveTo(At("b.txt").c_str(), false));
  EXPECT_EQ(LastOsError().message, "MoveFileEx に失敗");
  EXPECT_NE(LastOsError().code, 0);
  EXPECT_FALSE(IsNotFoundError(LastOsError().code));
  EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{"ファイル<" + At("missing.txt") + ">のオープンに失敗",
                                                        "DeleteFile に失敗", "MoveFileEx に失敗"}));
}

// The message is formatted once, as the caller gave it: a "%" in a path is
// shown as it is.
TEST(OsErrorTest, TheMessageIsReportedAsFormatted) {
  MessageRecorder recorder;
  OsError error = OsFailureWithCode(7, "ファイル<%s>のオープンに失敗", "C:\\100%d\\x");
  EXPECT_FALSE(ReportOsError(error));
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"ファイル<C:\\100%d\\x>のオープンに失敗"});
  EXPECT_EQ(LastOsError().code, 7);
}

}  // namespace
