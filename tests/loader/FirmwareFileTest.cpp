// The firmware file reader against files written by tests/device/qvzgen.py, whose CRC is
// computed independently of the loader's.
#include <gtest/gtest.h>

#include "framework/CMemFile.h"
#include "loader/FirmwareFile.h"
#include "loader/FirmwareRecord.h"
#include "loader/LoaderCrc16.h"
#include "tests/loader/QvzFixtures.h"

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

using loader_testing::QvzPath;

namespace {

const char kVersionText[] =
    "File version does not match any file version that we understand; do you need a newer Tolmera?";

class FirmwareFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string problem = loader_testing::PrepareQvzSuite();
        ASSERT_TRUE(problem.empty()) << problem;
    }

    // Opens and loads one suite file; the result of Load.
    int Load(const std::string& name)
    {
        EXPECT_TRUE(reader.Open(QvzPath(name).c_str())) << name << ": " << (LPCTSTR)reader.GetErrorText();
        return reader.Load(header, records);
    }

    FirmwareFile reader;
    CString header;
    std::deque<FirmwareRecord> records;
};

std::string SerializeAll(const std::deque<FirmwareRecord>& records)
{
    std::string bytes;
    for (const FirmwareRecord& record : records) {
        uint8_t frame[64];
        const size_t length = record.Serialize(frame, sizeof(frame));
        bytes.append(reinterpret_cast<const char*>(frame), length);
    }
    return bytes;
}

} // namespace

TEST(LoaderCrc16, MatchesThePublishedCheckValue)
{
    const uint8_t text[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(LoaderCrc16(0, text, sizeof(text)), 0x31C3);
}

TEST(LoaderCrc16, StepwiseUpdateAndFinishEqualTheWholeComputation)
{
    const uint8_t data[] = {0x00, 0xFF, 0x10, 0x21, 0x80, 0x7F, 0xAA, 0x55};
    uint16_t crc = 0;
    for (uint8_t byte : data)
        crc = LoaderCrc16Update(crc, byte);
    EXPECT_EQ(LoaderCrc16Finish(crc), LoaderCrc16(0, data, sizeof(data)));
    EXPECT_NE(LoaderCrc16(0, data, sizeof(data)), LoaderCrc16(0, data, sizeof(data) - 1));
}

TEST(LoaderCrc16, SingleBytesGiveTheXmodemTableEntries)
{
    const uint8_t one = 0x01, top = 0x80, zero = 0x00;
    EXPECT_EQ(LoaderCrc16(0, &one, 1), 0x1021);
    EXPECT_EQ(LoaderCrc16(0, &top, 1), 0x9188);
    EXPECT_EQ(LoaderCrc16(0, &zero, 1), 0x0000);
}

TEST(FirmwareRecordTest, SerializesDataThenCrcHighThenLow)
{
    FirmwareRecord record;
    record.dataSize = 5;
    const uint8_t data[] = {1, 2, 3, 4, 5};
    std::copy(data, data + 5, record.data);
    record.crc = 0xBEEF;
    uint8_t frame[7] = {};
    ASSERT_EQ(record.Serialize(frame, sizeof(frame)), 7u);
    EXPECT_EQ(std::vector<uint8_t>(frame, frame + 7), (std::vector<uint8_t>{1, 2, 3, 4, 5, 0xBE, 0xEF}));
    EXPECT_EQ(record.Serialize(frame, 6), 0u);
}

TEST(FirmwareRecordTest, ReadRequiresAllDataAndBothCrcBytes)
{
    // 8 data bytes and their CRC, then the same cut short at each length.
    std::vector<BYTE> whole = {'1', '2', '3', '4', '5', '6', '7', '8'};
    const uint16_t crc = LoaderCrc16(0, whole.data(), whole.size());
    whole.push_back(static_cast<BYTE>(crc >> 8));
    whole.push_back(static_cast<BYTE>(crc & 0xFF));

    for (UINT length = 0; length <= whole.size(); ++length) {
        SCOPED_TRACE(length);
        std::vector<BYTE> bytes(whole.begin(), whole.begin() + length);
        bytes.push_back(0);   // keeps data() valid for length 0
        CMemFile file(bytes.data(), length);
        FirmwareRecord record;
        record.dataSize = 8;
        std::string error;
        try {
            record.Read(file);
        } catch (const std::runtime_error& e) {
            error = e.what();
        }
        if (length < 8)
            EXPECT_EQ(error, "unexpected EOF reading record data");
        else if (length < 10)
            EXPECT_EQ(error, "unexpected EOF reading record CRC");
        else
            EXPECT_EQ(error, "");
    }
}

TEST_F(FirmwareFileTest, FormatZeroTakesTheProductFromTheLowerCaseWordMeterInThePath)
{
    EXPECT_EQ(Load("format0.qvz"), 3);
    EXPECT_EQ(reader.GetProductId(), 1u);

    FirmwareFile meter;
    ASSERT_TRUE(meter.Open(QvzPath("lower/meter_v12.qvz").c_str()));
    ASSERT_EQ(meter.Load(header, records), 3);
    EXPECT_EQ(meter.GetProductId(), 2u);

    FirmwareFile upper;
    ASSERT_TRUE(upper.Open(QvzPath("upper/Meter_v12.qvz").c_str()));
    ASSERT_EQ(upper.Load(header, records), 3);
    EXPECT_EQ(upper.GetProductId(), 1u);
}

TEST_F(FirmwareFileTest, LoadsEachFormatWithItsRecordSizeAndProduct)
{
    struct Case { const char* name; int count; uint32_t size; uint32_t productId; };
    const Case cases[] = {
        {"format1_pid4.qvz", 3, 8, 4},
        {"format2_size5_pid7.qvz", 4, 5, 7},
        {"format2_size16_pid9.qvz", 2, 16, 9},
        {"many_records.qvz", 2000, 8, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FirmwareFile file;
        ASSERT_TRUE(file.Open(QvzPath(c.name).c_str()));
        ASSERT_EQ(file.Load(header, records), c.count) << (LPCTSTR)file.GetErrorText();
        EXPECT_EQ(file.GetProductId(), c.productId);
        EXPECT_EQ(std::string((LPCTSTR)header), "Quorvant test firmware 1.02");
        for (const FirmwareRecord& record : records)
            EXPECT_EQ(record.dataSize, c.size);
        // The records serialize back to exactly the file's tail.
        const std::string bytes = loader_testing::ReadQvzBytes(c.name);
        const std::string frames = SerializeAll(records);
        ASSERT_EQ(frames.size(), c.count * (c.size + 2));
        EXPECT_EQ(bytes.substr(bytes.size() - frames.size()), frames);
    }
}

TEST_F(FirmwareFileTest, HeaderTextEndsAtTheMarkerOrTheFirstZeroByte)
{
    ASSERT_EQ(Load("header_1023.qvz"), 3) << (LPCTSTR)reader.GetErrorText();
    EXPECT_EQ(std::string((LPCTSTR)header), std::string(1023, 'H'));

    FirmwareFile zeroInside;
    ASSERT_TRUE(zeroInside.Open(QvzPath("header_zero_byte.qvz").c_str()));
    ASSERT_EQ(zeroInside.Load(header, records), 3);
    EXPECT_EQ(std::string((LPCTSTR)header), "Visible");
}

TEST_F(FirmwareFileTest, ZeroRecordsLoadWithResultZero)
{
    records.resize(2);
    EXPECT_EQ(Load("zero_records.qvz"), 0);
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(reader.GetProductId(), 1u);
}

TEST_F(FirmwareFileTest, EveryDamageGivesItsErrorText)
{
    struct Case { const char* name; const char* text; size_t recordsKept; };
    const Case cases[] = {
        {"damage_header-too-long.qvz", "File header is too long", 0},
        {"damage_header-unterminated.qvz", "Unexpected EOF reading file header", 0},
        {"damage_empty.qvz", "Unexpected EOF reading file header", 0},
        {"damage_eof-in-version.qvz", "Unexpected EOF", 0},
        {"damage_eof-in-format.qvz", "Unexpected EOF", 0},
        {"version1.qvz", kVersionText, 0},
        {"format3.qvz", kVersionText, 0},
        {"damage_no-size-byte.qvz", "Could not read record size byte", 0},
        {"format2_size17.qvz", "Record size in the firmware file is too large", 0},
        {"damage_eof-in-product-id.qvz", "Unexpected EOF", 0},
        {"pid0.qvz", "Invalid product ID in the firmware file", 0},
        {"pid10.qvz", "Invalid product ID in the firmware file", 0},
        {"damage_eof-in-count.qvz", "Unexpected EOF reading record count", 0},
        {"damage_missing-record.qvz", "unexpected EOF reading record data", 3},
        {"damage_data-cut.qvz", "unexpected EOF reading record data", 2},
        {"format2_size0.qvz", "unexpected EOF reading record data", 0},
        {"damage_crc-cut.qvz", "unexpected EOF reading record CRC", 2},
        {"damage_crc-missing.qvz", "unexpected EOF reading record CRC", 2},
        {"damage_crc-swapped.qvz", "invalid record checksum", 2},
        {"damage_data-flipped.qvz", "invalid record checksum", 2},
        {"damage_extra-byte.qvz", "Unexpected extra data in file (beyond last indicated record).", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FirmwareFile file;
        CString headerOut("left over");
        std::deque<FirmwareRecord> recordsOut;
        ASSERT_TRUE(file.Open(QvzPath(c.name).c_str()));
        EXPECT_EQ(file.Load(headerOut, recordsOut), -1);
        EXPECT_EQ(std::string((LPCTSTR)file.GetErrorText()), c.text);
        EXPECT_EQ(recordsOut.size(), c.recordsKept);
        if (std::string(c.name).find("header") == std::string::npos &&
            std::string(c.name) != "damage_empty.qvz")
            EXPECT_EQ(std::string((LPCTSTR)headerOut), "Quorvant test firmware 1.02");
        else
            EXPECT_TRUE(headerOut.IsEmpty());
    }
}

TEST_F(FirmwareFileTest, LoadWithoutOpenFails)
{
    EXPECT_EQ(reader.Load(header, records), -1);
    EXPECT_EQ(std::string((LPCTSTR)reader.GetErrorText()), "File is not open");
}

TEST_F(FirmwareFileTest, MissingFileGivesTheSystemMessage)
{
    EXPECT_FALSE(reader.Open(QvzPath("no_such_file.qvz").c_str()));
    EXPECT_FALSE(reader.GetErrorText().IsEmpty());
    EXPECT_FALSE(reader.IsOpen());
}

TEST_F(FirmwareFileTest, SecondOpenFailsWithAnEmptyErrorText)
{
    ASSERT_TRUE(reader.Open(QvzPath("format1_pid4.qvz").c_str()));
    EXPECT_FALSE(reader.Open(QvzPath("format1_pid4.qvz").c_str()));
    EXPECT_TRUE(reader.GetErrorText().IsEmpty());
    EXPECT_EQ(reader.Load(header, records), 3);   // still the first file, still open
    reader.Close();
    EXPECT_TRUE(reader.Open(QvzPath("format2_size5_pid7.qvz").c_str()));
}

TEST_F(FirmwareFileTest, OpenRefusesWritersWhileOpen)
{
    const std::string path = QvzPath("format1_pid4.qvz");
    ASSERT_TRUE(reader.Open(path.c_str()));
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    reader.Close();
}
