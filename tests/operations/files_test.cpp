#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "buffers/buffer_edit.h"
#include "buffers/checksums.h"
#include "buffers/image_file.h"
#include "buffers/image_formats.h"
#include "operations/programmer.h"
#include "platform/recording_machine.h"
#include "support/fake_clock.h"
#include "support/fake_panel.h"

namespace {

namespace fs = std::filesystem;
using panel::Ctl;
using Box = testing_support::FakePanel::Box;

std::vector<uint8_t> EveryByteValue(size_t length) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
  return bytes;
}

class Files : public ::testing::Test {
 protected:
  Files() {
    dir = fs::temp_directory_path() /
          ("meldrix files " + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + " é");
    fs::create_directories(dir);
    p.FillDeviceList();
  }
  ~Files() override { fs::remove_all(dir); }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path path = dir / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }
  static std::vector<uint8_t> Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void OpenCode(const std::string& path) {
    ui.text_replies.push_back(path);
    p.mnuFileOpenCode_Click();
  }
  void OpenData(const std::string& path) {
    ui.text_replies.push_back(path);
    p.mnuFileOpenData_Click();
  }

  fs::path dir;
  platform::RecordingMachine io;
  testing_support::FakePanel ui;
  testing_support::FakeClock clock;
  ops::Programmer p{io, ui, clock, "unused.ini"};
};

TEST_F(Files, CodeFileLoadsEveryByteAndSavesBackIdentically) {
  p.SetDeviceIndex(9);  // Eprom 27C256
  ui.log.clear();
  const auto image = EveryByteValue(32768);
  const std::string path = Write("image ß.bin", image);
  OpenCode(path);
  EXPECT_EQ(ui.dialogs, std::vector<std::string>{"Open Code File"});
  ASSERT_EQ(ui.log.size(), 3U);
  EXPECT_EQ(ui.log[0], "File " + path + " - was read into Buffer. 32768 bytes long.");
  EXPECT_EQ(ui.log[1], "You can Install a Blank Eprom for Programming");
  EXPECT_EQ(ui.log[2].rfind("Checksums of 32768 bytes: sum ", 0), 0U) << ui.log[2];
  EXPECT_EQ(ui.Caption(Ctl::FileNameCodeSize), "(32768)");
  EXPECT_EQ(ui.Max(Ctl::VScroll1), 127);
  EXPECT_EQ(p.buf.CodeFileName, path);
  EXPECT_EQ(p.buf.CodeLoaded, 1);
  EXPECT_TRUE(ui.Enabled(Ctl::Program_button));
  EXPECT_TRUE(ui.Enabled(panel::ToolbarButton(2)));
  EXPECT_EQ(ui.sounds.back(), "DONE");
  EXPECT_EQ(ui.Caption(Ctl::sbStatusBar), "");
  EXPECT_TRUE(std::equal(image.begin(), image.end(), p.buf.CodeBuffer.begin()));

  ui.log.clear();
  const std::string copy = (dir / "copy ü.bin").string();
  ui.text_replies.push_back(copy);
  p.mnuFileSaveCodeAs_Click();
  EXPECT_EQ(Read(copy), image);
  EXPECT_EQ(ui.Caption(Ctl::FileNameCodeText), copy);
  EXPECT_EQ(ui.log, std::vector<std::string>{"File Sucessfully Saved as " + copy});
}

TEST_F(Files, CodeFileLengthsAtTheEdgesOfTheBuffer) {
  struct Case {
    size_t length;
    int scroll_max;
  };
  for (const Case& c : {Case{0, -1}, Case{1, 0}, Case{100, 0}, Case{2100001, 8203}}) {
    SCOPED_TRACE(c.length);
    std::fill(p.buf.CodeBuffer.begin(), p.buf.CodeBuffer.end(), uint8_t{0xA5});
    const auto image = EveryByteValue(c.length);
    OpenCode(Write("edge.bin", image));
    EXPECT_EQ(p.buf.CodeLength, static_cast<int32_t>(c.length));
    EXPECT_EQ(ui.Max(Ctl::VScroll1), c.scroll_max);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), p.buf.CodeBuffer.begin()));
    // Nothing of the earlier image is left behind the file: the rest is erased.
    EXPECT_TRUE(std::all_of(p.buf.CodeBuffer.begin() + static_cast<ptrdiff_t>(c.length),
                            p.buf.CodeBuffer.end(), [](uint8_t b) { return b == 0xFF; }));
    // Every page of the scroll range shows the bytes of the image on it, one line per 16.
    for (int position : {ui.Max(Ctl::VScroll1), 0, 8203}) {
      ui.SetValue(Ctl::VScroll1, position);
      p.DisplayCodeMemory();
      const auto page = static_cast<size_t>(std::clamp(position, 0, std::max(c.scroll_max, 0)));
      const size_t on_page = std::min<size_t>(256, c.length - std::min(c.length, page * 256));
      const std::string shown = ui.Caption(Ctl::BufferDisplay);
      EXPECT_EQ(static_cast<size_t>(std::count(shown.begin(), shown.end(), '\n')),
                (on_page + 15) / 16)
          << position;
    }
    ui.text_replies.push_back((dir / "edge saved.bin").string());
    p.mnuFileSaveCodeAs_Click();
    EXPECT_EQ(Read((dir / "edge saved.bin").string()), image);
    p.buf.CodeFileName.clear();
  }
}

TEST_F(Files, CodeFileLongerThanTheBufferIsRefusedAndNothingChanges) {
  OpenCode(Write("small.bin", {1, 2, 3}));
  const std::string caption = ui.Caption(Ctl::FileNameCodeText);
  ui.log.clear();
  OpenCode(Write("huge.bin", std::vector<uint8_t>(2100002, 0x11)));
  EXPECT_EQ(ui.boxes, (std::vector<Box>{{"Can't Open Code File Bigger than 2100001 Bytes",
                                         "Code File to Big", panel::Icon::Exclamation}}));
  EXPECT_EQ(ui.log, std::vector<std::string>{
                        "Code File Size is 2100002 bytes, bigger than the 2100001 allowed - Will "
                        "Not Open"});
  EXPECT_EQ(p.buf.CodeLength, 3);
  EXPECT_EQ(p.buf.CodeBuffer[2], 3);
  EXPECT_EQ(p.buf.CodeBuffer[3], 0xFF);
  EXPECT_EQ(p.buf.CodeFileName, (dir / "small.bin").string());
  EXPECT_EQ(ui.Caption(Ctl::FileNameCodeText), caption);
  EXPECT_FALSE(panel::IndicatorLit(ui, Ctl::DataFlow_label));
}

TEST_F(Files, UnreadableFilesAreReportedAndLeaveEverythingAsItWas) {
  OpenCode(Write("first.bin", {9, 8, 7}));
  const std::string caption = ui.Caption(Ctl::FileNameCodeText);
  for (const std::string& path :
       {(dir / "missing.bin").string(), dir.string(), std::string("/dev/zero")}) {
    SCOPED_TRACE(path);
    ui.log.clear();
    ui.boxes.clear();
    OpenCode(path);
    ASSERT_EQ(ui.boxes.size(), 1U);
    EXPECT_EQ(ui.boxes[0].title, "File Not Read");
    ASSERT_EQ(ui.log.size(), 1U);
    EXPECT_EQ(ui.log[0].rfind("File " + path + " - could not be read: ", 0), 0U);
    EXPECT_EQ(p.buf.CodeLength, 3);
    EXPECT_EQ(p.buf.CodeFileName, (dir / "first.bin").string());
    EXPECT_EQ(ui.Caption(Ctl::FileNameCodeText), caption);

    ui.boxes.clear();
    OpenData(path);
    EXPECT_EQ(ui.boxes.size(), 1U);
    EXPECT_EQ(p.buf.DataLoaded, 0);
    EXPECT_EQ(ui.Caption(Ctl::FileNameDataText), "Click To Select a File");
  }
}

TEST_F(Files, DataFileOfUpTo8192BytesIsTakenAndLongerIsRefused) {
  const auto image = EveryByteValue(8192);
  const std::string path = Write("data.bin", image);
  OpenData(path);
  EXPECT_EQ(ui.dialogs, std::vector<std::string>{"Open Data File (eeprom)"});
  EXPECT_EQ(p.buf.DataLength, 8192);
  EXPECT_EQ(p.buf.DataLoaded, 1);
  EXPECT_EQ(ui.Caption(Ctl::FileNameDataSize), "(8192)");
  EXPECT_EQ(ui.log.front(), "File " + path + " - was read into DataBuffer. 8192 bytes long.");
  EXPECT_TRUE(ui.Enabled(Ctl::mnuFileSaveDataAs));

  ui.log.clear();
  OpenData(Write("big.bin", std::vector<uint8_t>(8193, 0x33)));
  EXPECT_EQ(ui.log,
            std::vector<std::string>{
                "Data File Size is 8193 bytes, bigger than the 8192 allowed - Will Not Open"});
  EXPECT_EQ(ui.boxes, (std::vector<Box>{{"Can't Open Data File Bigger than 8192 Bytes",
                                         "Data File to Big", panel::Icon::Exclamation}}));
  EXPECT_EQ(p.buf.DataLength, 8192);
  EXPECT_EQ(p.buf.DataBuffer[0], image[0]);
  // A later Save Data goes to the file that was loaded, never over the refused one.
  EXPECT_EQ(p.buf.DataFileName, path);
  p.mnuFileSaveData_Click();
  EXPECT_EQ(Read((dir / "big.bin").string()).size(), 8193U);
  EXPECT_EQ(Read(path), image);
}

TEST_F(Files, SaveCodeReusesTheNameOrAsksForOne) {
  p.SetDeviceIndex(9);
  p.buf.CodeBuffer[0] = 0x42;
  p.mnuFileSaveCode_Click();  // no name yet, dialog cancelled
  EXPECT_EQ(ui.dialogs, std::vector<std::string>{"Save CODE BUFFER ..."});
  const std::string path = (dir / "read back.bin").string();
  ui.text_replies.push_back(path);
  p.mnuFileSaveCode_Click();
  EXPECT_EQ(Read(path).size(), 32768U);
  EXPECT_EQ(Read(path)[0], 0x42);
  p.buf.CodeBuffer[0] = 0x43;
  p.mnuFileSaveCode_Click();  // the name is known now: no dialog
  EXPECT_EQ(ui.dialogs.size(), 2U);
  EXPECT_EQ(Read(path)[0], 0x43);
}

// Once the buffer holds something other than the file's bytes (the chip read from the socket,
// an erased buffer, a device of another size), Save Code asks before it writes, offering the
// file's name; a cancelled dialog leaves the known-good image as it was.
TEST_F(Files, SaveCodeAsksOnceTheBufferNoLongerHoldsTheFile) {
  struct Change {
    const char* what;
    void (*apply)(ops::Programmer&);
  };
  const auto image = EveryByteValue(32768);
  for (const Change& c : {Change{"device read", [](ops::Programmer& q) { q.ReadCode(); }},
                          Change{"erase", [](ops::Programmer& q) { q.EraseCodeBuffer(); }},
                          Change{"8 KB device", [](ops::Programmer& q) { q.SetDeviceIndex(4); }}}) {
    SCOPED_TRACE(c.what);
    p.SetDeviceIndex(9);  // Eprom 27C256
    const std::string path = Write("good.bin", image);
    OpenCode(path);
    c.apply(p);
    ui.dialogs.clear();
    ui.offered_names.clear();
    p.mnuFileSaveCode_Click();
    EXPECT_EQ(ui.dialogs, std::vector<std::string>{"Save CODE BUFFER As..."});
    EXPECT_EQ(ui.offered_names, std::vector<std::string>{path});
    EXPECT_EQ(Read(path), image);
  }
  // Confirmed once, the file is the buffer's again: the next Save Code writes without asking.
  const std::string path = (dir / "good.bin").string();
  ui.text_replies.push_back(path);
  p.mnuFileSaveCode_Click();
  EXPECT_EQ(Read(path).size(), 8192U);
  p.mnuFileSaveCode_Click();
  EXPECT_EQ(ui.dialogs.size(), 2U);
}

TEST_F(Files, FailedSaveKeepsTheEarlierFileAndTheName) {
  const std::string path = Write("keep.bin", {1, 2, 3, 4});
  OpenCode(path);
  p.buf.CodeLength = 100000;
  // A file-size limit makes the write run out of room, as a full disk would.
  rlimit before{};
  ::getrlimit(RLIMIT_FSIZE, &before);
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = before;
  small.rlim_cur = 4096;
  ::setrlimit(RLIMIT_FSIZE, &small);
  p.mnuFileSaveCode_Click();
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_EQ(Read(path), (std::vector<uint8_t>{1, 2, 3, 4}));
  ASSERT_EQ(ui.boxes.size(), 1U);
  EXPECT_EQ(ui.boxes[0].title, "File Not Saved");
  EXPECT_EQ(ui.log.back().rfind("File " + path + " - could not be saved: ", 0), 0U);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

  ui.boxes.clear();
  ui.text_replies.push_back((dir / "no such dir" / "x.bin").string());
  p.mnuFileSaveCodeAs_Click();
  EXPECT_EQ(ui.boxes.size(), 1U);
  EXPECT_EQ(p.buf.CodeFileName, path);
}

TEST_F(Files, EraseFillsTheCheckedBuffersOnly) {
  p.buf.CodeLength = 5;
  p.buf.DataLength = 7;
  ui.SetValue(Ctl::CheckCode, 1);
  ui.SetValue(Ctl::CheckData, 1);
  p.Erase_button_Click();
  EXPECT_EQ(ui.log, (std::vector<std::string>{"Buffer has been Erased", "Buffer has been Erased"}));
  EXPECT_EQ(std::count(p.buf.CodeBuffer.begin(), p.buf.CodeBuffer.end(), 0xFF), 1048577);
  EXPECT_EQ(p.buf.CodeBuffer[1048577], 0);
  EXPECT_EQ(std::count(p.buf.DataBuffer.begin(), p.buf.DataBuffer.end(), 0xFF), 8193);
  EXPECT_EQ(p.buf.CodeLength, 5);
  EXPECT_EQ(p.buf.DataLength, 7);
  EXPECT_FALSE(ui.Enabled(Ctl::Program_button));
  EXPECT_FALSE(ui.Enabled(Ctl::menuVerifyData));
  EXPECT_EQ(p.DisplayMode, "Read");

  ui.log.clear();
  std::fill(p.buf.DataBuffer.begin(), p.buf.DataBuffer.end(), uint8_t{0});
  ui.SetValue(Ctl::CheckData, 0);
  p.Erase_button_Click();
  EXPECT_EQ(ui.log.size(), 1U);
  EXPECT_EQ(p.buf.DataBuffer[0], 0);
}

// An Intel HEX file above 64 KB: its records place the bytes, the log says what was read, and
// Save Code writes Intel HEX back; Save As in the S-record entry changes the format for good.
TEST_F(Files, LoadFileIsReadByItsRecordsAndSavedBackInItsFormat) {
  std::fill(p.buf.CodeBuffer.begin(), p.buf.CodeBuffer.end(), uint8_t{0xA5});
  const auto image = EveryByteValue(0x12000);
  const std::string text = buffers::IntelHexText(image);
  const std::string path = Write("firmware.dat", std::vector<uint8_t>(text.begin(), text.end()));
  OpenCode(path);
  EXPECT_EQ(p.buf.CodeLength, 0x12000);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), p.buf.CodeBuffer.begin()));
  EXPECT_EQ(p.buf.CodeBuffer[0x12000], 0xFF);
  EXPECT_EQ(ui.Caption(Ctl::FileNameCodeSize), "(73728)");
  ASSERT_EQ(ui.log.size(), 4U);
  EXPECT_EQ(ui.log[0], "File " + path + " - was read into Buffer. 73728 bytes long.");
  EXPECT_EQ(ui.log[2], "Intel HEX: 4608 records, addresses 0h to 11FFFh");
  EXPECT_EQ(ui.log[3], buffers::ChecksumLine(image));

  p.buf.CodeBuffer[0x11FFF] = 0x5A;
  p.mnuFileSaveCode_Click();
  auto saved = Read(path);
  EXPECT_EQ(saved.front(), ':');
  EXPECT_EQ(buffers::LoadImage(path, buffers::kCodeBufferSize).bytes.back(), 0x5A);

  const std::string srec = (dir / "firmware.out").string();
  ui.text_replies.push_back(srec);
  ui.filter_replies.push_back(2);
  p.mnuFileSaveCodeAs_Click();
  EXPECT_EQ(ui.last_filter.rfind("Raw Binary (*.*)|*.*|Intel HEX", 0), 0U);
  p.buf.CodeBuffer[0] = 0x77;
  p.mnuFileSaveCode_Click();
  saved = Read(srec);
  EXPECT_EQ(std::string(saved.begin(), saved.begin() + 2), "S0");
  const auto back = buffers::LoadImage(srec, buffers::kCodeBufferSize);
  EXPECT_EQ(back.format, buffers::ImageFormat::SRecord);
  ASSERT_EQ(back.bytes.size(), 0x12000U);
  EXPECT_EQ(back.bytes[0], 0x77);
}

// A damaged load file leaves both images, their lengths, names and captions as they were.
TEST_F(Files, DamagedLoadFileIsRefusedWholeAndNothingChanges) {
  const std::string raw = Write("first.bin", {9, 8, 7});
  OpenCode(raw);
  OpenData(raw);
  const std::string code_caption = ui.Caption(Ctl::FileNameCodeText);
  const std::string damaged = Write("damaged.hex", [] {
    const std::string t = ":0100000011EE\n:0100010022DC\n:0100020033CB\n:00000001FF\n";
    return std::vector<uint8_t>(t.begin(), t.end());
  }());
  for (bool code : {true, false}) {
    ui.log.clear();
    ui.boxes.clear();
    code ? OpenCode(damaged) : OpenData(damaged);
    ASSERT_EQ(ui.boxes.size(), 1U);
    EXPECT_EQ(ui.boxes[0].title, "File Not Read");
    ASSERT_EQ(ui.log.size(), 1U);
    EXPECT_NE(ui.log[0].find("line 3: checksum CBh, the line needs CAh"), std::string::npos)
        << ui.log[0];
  }
  EXPECT_EQ(p.buf.CodeLength, 3);
  EXPECT_EQ(p.buf.DataLength, 3);
  EXPECT_EQ(p.buf.CodeBuffer[0], 9);
  EXPECT_EQ(p.buf.DataBuffer[0], 9);
  EXPECT_EQ(p.buf.CodeFileName, raw);
  EXPECT_EQ(p.buf.DataFileName, raw);
  EXPECT_EQ(ui.Caption(Ctl::FileNameCodeText), code_caption);
  EXPECT_EQ(ui.Caption(Ctl::FileNameDataText), raw);
  EXPECT_EQ(p.buf.CodeFileFormat, buffers::ImageFormat::Binary);
}

// A monitor linked where its processor sees it (E000h..FFFFh) goes into an 8 KB EPROM only once
// the operator agrees to move it down to address 0; Save then writes its two records back at
// the file's own addresses, without the erased gap between them. An image that no move makes
// fit is refused with the address and the device's size, without a question.
TEST_F(Files, ImageBeyondTheDeviceIsMovedDownOnlyOnTheOperatorsWord) {
  p.SetDeviceIndex(5);  // Eprom 27C64
  const auto low = EveryByteValue(0x100);
  const auto high = EveryByteValue(0x20);
  const std::vector<buffers::ImageSpan> parts = {{0xE000, low}, {0xFFE0, high}};
  const std::string text = buffers::IntelHexText(parts);
  const std::string path = Write("monitor.hex", std::vector<uint8_t>(text.begin(), text.end()));
  ui.ok_cancel_replies = {false};
  ui.log.clear();
  OpenCode(path);
  EXPECT_EQ(p.buf.CodeLoaded, 0);
  ASSERT_EQ(ui.boxes.size(), 2U);
  EXPECT_EQ(ui.boxes[0].text,
            "The image covers addresses E000h to FFFFh; the 8192 bytes of the Eprom 27C64 are "
            "addresses 0h to 1FFFh. Move the image down by E000h, to addresses 0h to 1FFFh?");
  EXPECT_EQ(ui.boxes[1].title, "File Not Read");
  EXPECT_NE(ui.log[0].find("address FFFFh lies beyond the 8192 bytes of the Eprom 27C64"),
            std::string::npos)
      << ui.log[0];

  ui.boxes.clear();
  OpenCode(path);
  ASSERT_EQ(p.buf.CodeLength, 0x2000);
  EXPECT_TRUE(std::equal(low.begin(), low.end(), p.buf.CodeBuffer.begin()));
  EXPECT_EQ(p.buf.CodeBuffer[0x100], 0xFF);
  EXPECT_TRUE(std::equal(high.begin(), high.end(), p.buf.CodeBuffer.begin() + 0x1FE0));
  EXPECT_NE(std::find(ui.log.begin(), ui.log.end(),
                      "Image moved down by E000h: addresses E000h to FFFFh are now 0h to 1FFFh"),
            ui.log.end());
  Write("monitor.hex", {});
  p.mnuFileSaveCode_Click();
  const auto saved = Read(path);
  EXPECT_EQ(std::string(saved.begin(), saved.end()), text);

  const std::vector<buffers::ImageSpan> apart = {{0x0000, low}, {0x3000, high}};
  const std::string wide = buffers::SRecordText(apart);
  ui.boxes.clear();
  OpenCode(Write("wide.s19", std::vector<uint8_t>(wide.begin(), wide.end())));
  ASSERT_EQ(ui.boxes.size(), 1U);
  EXPECT_NE(ui.boxes[0].text.find("address 301Fh lies beyond the 8192 bytes of the Eprom 27C64"),
            std::string::npos)
      << ui.boxes[0].text;
  EXPECT_EQ(p.buf.CodeFileName, path);
}

// Plain hex lines are a raw image unless the operator picks their format in the Open dialog.
TEST_F(Files, FormatPickedInTheOpenDialogReadsPlainHexLines) {
  const std::string text = "0000000004DEADBEEF\r\n";
  const std::string path = Write("boot.b", std::vector<uint8_t>(text.begin(), text.end()));
  OpenCode(path);
  EXPECT_EQ(p.buf.CodeLength, static_cast<int32_t>(text.size()));
  const auto choices = buffers::ReadAsChoices();
  const auto brecord = std::find_if(choices.begin(), choices.end(),
                                    [](const auto& c) { return c.option == "brecord"; });
  ui.open_filter = static_cast<int>(brecord - choices.begin());
  OpenCode(path);
  ASSERT_EQ(p.buf.CodeLength, 4);
  EXPECT_EQ(p.buf.CodeBuffer[0], 0xDE);
  EXPECT_EQ(p.buf.CodeBuffer[3], 0xEF);
}

// The program reads Tektronix and the other formats but does not write them: Save asks for a
// name rather than overwrite such a file in another format.
TEST_F(Files, SaveOfAFileInAFormatNotWrittenAsksForAName) {
  const std::string mos = Write("image.mos", [] {
    const std::string t = ";0300100102030019\n;0000010001\n";
    return std::vector<uint8_t>(t.begin(), t.end());
  }());
  OpenCode(mos);
  ASSERT_EQ(p.buf.CodeLength, 0x13);
  const auto before = Read(mos);
  p.mnuFileSaveCode_Click();
  EXPECT_EQ(ui.dialogs.back(), "Save CODE BUFFER ...");
  EXPECT_EQ(Read(mos), before);
}

TEST_F(Files, FileNameOpensTheDialogOnlyWhileNoFileIsChosen) {
  ui.SetCaption(Ctl::FileNameCodeText, " Click To Select a File ");
  p.FileNameCodeText_Click();
  EXPECT_EQ(ui.dialogs, std::vector<std::string>{"Open Code File"});
  ui.SetCaption(Ctl::FileNameCodeText, "/TMP/A.BIN");
  p.FileNameCodeText_Click();
  EXPECT_EQ(ui.dialogs.size(), 1U);
}

}  // namespace

// An edit of the buffer editor marks the image until it is saved; between a load file's records
// it becomes a record of its own, so that Save writes it; beyond a shorter raw image it extends
// the image that programming covers. Loading over unsaved edits asks first.
TEST_F(Files, EditsAreSavedEvenBetweenRecordsAndALoadOverThemAsksFirst) {
  p.SetDeviceIndex(5);  // Eprom 27C64
  const auto low = EveryByteValue(0x100);
  const auto high = EveryByteValue(0x20);
  const std::vector<buffers::ImageSpan> records = {{0x0000, low}, {0x1000, high}};
  const std::string text = buffers::IntelHexText(records);
  const std::string path = Write("patched.hex", std::vector<uint8_t>(text.begin(), text.end()));
  OpenCode(path);
  const uint32_t replaced = p.buf.CodeReplaced;
  const auto edit =
      buffers::OverwriteEdit(p.EditableImage(false), 0x800, std::vector<uint8_t>{0x42});
  p.ApplyBufferEdit(false, edit, false);
  EXPECT_EQ(ui.Caption(Ctl::FileNameCodeText), path + " (edited)");
  p.mnuFileSaveCode_Click();
  const auto saved = Read(path);
  const std::vector<uint8_t> patch = {0x42};
  const std::vector<buffers::ImageSpan> patched = {{0x0000, low}, {0x800, patch}, {0x1000, high}};
  EXPECT_EQ(std::string(saved.begin(), saved.end()), buffers::IntelHexText(patched));
  EXPECT_EQ(ui.Caption(Ctl::FileNameCodeText), path);

  p.ApplyBufferEdit(false, edit, true);  // undone: the buffer differs from the file again
  ui.ok_cancel_replies = {false};
  ui.log.clear();
  OpenCode(path);
  EXPECT_EQ(ui.log,
            std::vector<std::string>{"Loading was Canceled: the Code Buffer keeps its edits"});
  EXPECT_EQ(p.buf.CodeBuffer[0x800], 0xFF);
  EXPECT_TRUE(p.buf.CodeEdited);
  OpenCode(path);  // OK this time
  EXPECT_EQ(p.buf.CodeBuffer[0x800], 0x42);
  EXPECT_FALSE(p.buf.CodeEdited);
  EXPECT_EQ(p.buf.CodeReplaced, replaced + 1);

  OpenCode(Write("short.bin", EveryByteValue(0x1000)));
  p.SetDeviceIndex(5);  // the buffer covers the device again
  p.ApplyBufferEdit(false, buffers::FillEdit(p.EditableImage(false), 0x17FF, 0x1800, 0x00), false);
  EXPECT_EQ(p.buf.CodeImageLength, 0x1801);

  // A device read would replace the edits as well: it asks first, and Cancel reads nothing.
  ui.ok_cancel_replies = {false};
  ui.log.clear();
  const size_t trace_length = io.Trace().size();
  p.ReadCode();
  EXPECT_EQ(ui.log,
            std::vector<std::string>{"Reading was Canceled: the Code Buffer keeps its edits"});
  EXPECT_EQ(io.Trace().size(), trace_length) << "no port touched, no wait";
  EXPECT_EQ(p.buf.CodeBuffer[0x1800], 0x00);
}
