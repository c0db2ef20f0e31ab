#include "platform/bufwriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/testing/test_support.h"

namespace {

TEST(BufferedFileWriter, FlushesAtTheFreeSpaceBoundary) {
  TempDir temp;
  std::string path = temp / "w.txt";
  WriteTestFile(path, "stale");
  MessageRecorder recorder;
  {
    BufferedFileWriter writer;
    ASSERT_TRUE(writer.OpenTruncate(path.c_str()));
    writer.SetBufferSize(8);
    EXPECT_EQ(ReadTestFile(path), "");  // emptied
    writer.Write("abc", 3);
    EXPECT_EQ(ReadTestFile(path), "");
    writer.Write("defgh", 5);  // exactly the free space: flushed at once
    EXPECT_EQ(ReadTestFile(path), "abcdefgh");
    EXPECT_EQ(writer.Buffered(), 0u);
    writer.Write("0123456789ABCDEFGHIJ", 20);  // more than the buffer: in order, unbroken
    EXPECT_EQ(ReadTestFile(path), "abcdefgh0123456789ABCDEF");
    EXPECT_EQ(writer.Buffered(), 4u);
    writer.WriteChar('!');
    writer.WriteText("xy");
    writer.Printf("<%04d>", 42);
  }  // the destructor flushes
  EXPECT_EQ(ReadTestFile(path), "abcdefgh0123456789ABCDEFGHIJ!xy<0042>");
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(BufferedFileWriter, DeletedTargetIsReportedAndNotRecreated) {
  TempDir temp;
  std::string path = temp / "gone.txt";
  MessageRecorder recorder;
  BufferedFileWriter writer;
  ASSERT_TRUE(writer.OpenTruncate(temp.Path().c_str(), "gone.txt"));
  writer.SetBufferSize(64);
  writer.WriteText("first");
  writer.Flush();
  EXPECT_FALSE(writer.Failed());
  writer.WriteText("first");
  ASSERT_EQ(std::remove(path.c_str()), 0);
  writer.Flush();
  EXPECT_TRUE(writer.Failed());
  EXPECT_EQ(writer.Buffered(), 0u);  // dropped
  writer.WriteText("second");
  writer.Flush();
  writer.Flush();  // nothing buffered: nothing happens
  std::string message = "ファイル<" + path + ">のオープンに失敗";
  EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{message, message}));
  EXPECT_FALSE(TestPathExists(path));
}

TEST(BufferedFileWriter, RelativePathsAndOpenFailure) {
  TempDir temp;
  std::string saved = HomeDirectory();
  ASSERT_TRUE(SetHomeDirectory(temp.Path()));
  MessageRecorder recorder;
  {
    BufferedFileWriter writer;
    EXPECT_TRUE(writer.OpenTruncate("./rel.txt"));
    writer.SetBufferSize(16);
    writer.WriteText("home");
  }
  EXPECT_EQ(ReadTestFile(temp / "rel.txt"), "home");
  BufferedFileWriter writer;
  std::string missing = temp / "no/x.txt";
  FilePath expected(missing.c_str());
  EXPECT_FALSE(writer.OpenTruncate(missing.c_str()));
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{std::string("ファイル<") + expected.Text() + ">のオープンに失敗"});
  SetHomeDirectory(saved);
}

TEST(DebugLog, EveryWriteReachesTheDisk) {
  TempDir temp;
  std::string path = temp / "DebugLog.txt";
  DebugLog log;
  ASSERT_TRUE(log.OpenTruncate(path.c_str()));
  log.SetBufferSize(1024);
  log.WriteText("----- start -----\n");
  EXPECT_EQ(ReadTestFile(path), "----- start -----\n");
  log.Printf("- workStep(%d)\n", 3);
  EXPECT_EQ(ReadTestFile(path), "----- start -----\n- workStep(3)\n");
  EXPECT_EQ(log.Buffered(), 0u);
}

}  // namespace
