// The two video input test cases in-process: defaults of each constructor, their bytes in an
// archive against vectors written out by hand, loading back (also from a suite file and from
// every truncation of one), copies and clones, and the example test's run.
#include "kestrel/analoginbasicfunctionality.h"
#include "kestrel/analoginquality.h"
#include "kestrel/videoinputcomponent.h"

#include "plinth/archive.h"
#include "plinth/testsuite.h"

#include "testsupport/logcapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using testsupport::LogCapture;
using Bytes = std::vector<uint8_t>;

namespace {

// Concatenates hand-written bytes and character runs.
struct Piece
{
  Piece(std::initializer_list<uint8_t> raw) : bytes(raw) {}
  Piece(const char* text) : bytes(text, text + std::char_traits<char>::length(text)) {}
  Bytes bytes;
};

Bytes Join(std::initializer_list<Piece> pieces)
{
  Bytes all;
  for (const Piece& p : pieces)
    all.insert(all.end(), p.bytes.begin(), p.bytes.end());
  return all;
}

Bytes Store(CObject& object)
{
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    object.Serialize(ar);
    EXPECT_TRUE(ar.Close());
  }
  return file.Data();
}

// Loads bytes into object; true when the archive has no error and used every byte.
bool Load(CObject& object, const Bytes& bytes)
{
  CMemFile file(bytes.data(), bytes.size());
  CArchive ar(&file, CArchive::load);
  object.Serialize(ar);
  return !ar.Failed() && ar.AtEnd();
}

class CNotAComponent : public CObject
{
};

// The hand-written vectors: base fields (class name, label, model, iterations, status), then
// the test's own fields.
// clang-format off
const Bytes kBasicDefault = Join({
    {0x11}, "Video Input Tests", {0x1D}, "Analog_In_Basic_Functionality", {0x07}, "Default",
    {0x01, 0x00, 0x00, 0x00}, {0x01, 0x00, 0x00, 0x00},
    {0x04}, "YUY2", {0x06}, "Custom", {0x04}, "NTSC",
    {0x00, 0x00, 0x00, 0x00},   // diagnostics 0
    {0xD0, 0x02, 0x00, 0x00}}); // width 720

const Bytes kBasicEdited = Join({
    {0x11}, "Video Input Tests", {0x06}, "Studio", {0x05}, "Bench",
    {0x03, 0x00, 0x00, 0x00}, {0x06, 0x00, 0x00, 0x00},
    {0x04}, "UYVY", {0x04}, "V4L2", {0x03}, "PAL",
    {0x32, 0x00, 0x00, 0x00},   // diagnostics 50
    {0xC0, 0x02, 0x00, 0x00}}); // width 704

const Bytes kQualityDefault = Join({
    {0x11}, "Video Input Tests", {0x11}, "Analog_In_Quality", {0x07}, "Default",
    {0x01, 0x00, 0x00, 0x00}, {0x01, 0x00, 0x00, 0x00},
    {0x20, 0x00, 0x00, 0x00},   // parameter 1: 32
    {0x0B}, "Parameter 2"});

const Bytes kQualityEdited = Join({
    {0x11}, "Video Input Tests", {0x11}, "Analog_In_Quality", {0x07}, "Default",
    {0x01, 0x00, 0x00, 0x00}, {0x05, 0x00, 0x00, 0x00},
    {0xFE, 0xFF, 0xFF, 0xFF},   // parameter 1: -2
    {0x00}});                   // parameter 2: empty
// clang-format on

void ExpectSameFields(const CAnalog_In_Basic_Functionality& a,
                      const CAnalog_In_Basic_Functionality& b)
{
  EXPECT_EQ(a.GetClassName(), b.GetClassName());
  EXPECT_EQ(a.GetLabel(), b.GetLabel());
  EXPECT_EQ(a.GetModelName(), b.GetModelName());
  EXPECT_EQ(a.m_nIterations, b.m_nIterations);
  EXPECT_EQ(a.m_dwStatus, b.m_dwStatus);
  EXPECT_EQ(a.m_strFourcc, b.m_strFourcc);
  EXPECT_EQ(a.m_strVendor, b.m_strVendor);
  EXPECT_EQ(a.m_strStandard, b.m_strStandard);
  EXPECT_EQ(a.m_nDiagnostics, b.m_nDiagnostics);
  EXPECT_EQ(a.m_nWidth, b.m_nWidth);
}

// The fields kBasicEdited holds.
void Edit(CAnalog_In_Basic_Functionality& test)
{
  test.SetLabel("Studio");
  test.m_strModelName = "Bench";
  test.SetIterations(3);
  test.SetStatus(6);
  test.m_strFourcc = "UYVY";
  test.m_strVendor = "V4L2";
  test.m_strStandard = "PAL";
  test.m_nDiagnostics = 50;
  test.m_nWidth = 704;
}

} // namespace

TEST(VideoInputTestCases, TheComponentHoldsBothPrototypesWithTheirDefaults)
{
  CVideoInputComponent component(nullptr);
  EXPECT_EQ(component.GetClassName(), "Video Input Tests");
  EXPECT_EQ(component.GetStatus(), 3u);
  EXPECT_EQ(component.GetIconId(), 134);
  ASSERT_EQ(component.m_TestCaseList.size(), 2u);
  auto* basic = dynamic_cast<CAnalog_In_Basic_Functionality*>(component.m_TestCaseList.front());
  auto* quality = dynamic_cast<CAnalog_In_Quality*>(component.m_TestCaseList.back());
  ASSERT_NE(basic, nullptr);
  ASSERT_NE(quality, nullptr);
  EXPECT_EQ(basic->GetClassName(), "Video Input Tests");
  EXPECT_EQ(basic->GetLabel(), "Analog_In_Basic_Functionality");
  EXPECT_EQ(basic->m_strFourcc, "YUY2");
  EXPECT_EQ(basic->m_strVendor, "Custom");
  EXPECT_EQ(basic->m_strStandard, "NTSC");
  EXPECT_EQ(basic->m_nDiagnostics, 0);
  EXPECT_EQ(basic->m_nWidth, 720);
  EXPECT_EQ(quality->GetLabel(), "Analog_In_Quality");
  EXPECT_EQ(quality->m_nParameter1, 32);
  EXPECT_EQ(quality->m_strParameter2, "Parameter 2");
}

// Built with a component, the prototypes take its class and model name; anything else is
// logged and leaves their own fields empty.
TEST(VideoInputTestCases, ConstructorsTakeTheComponentOrLogWhatIsWrong)
{
  LogCapture log;
  CVideoInputComponent component(nullptr);
  component.m_strModelName = "Bench";
  const CAnalog_In_Basic_Functionality fromComponent(&component);
  EXPECT_EQ(fromComponent.GetClassName(), "Video Input Tests");
  EXPECT_EQ(fromComponent.GetModelName(), "Bench");
  EXPECT_EQ(fromComponent.m_strFourcc, "YUY2");
  EXPECT_EQ(fromComponent.m_nWidth, 720);

  guiLoggingLevel = 0;
  CNotAComponent stranger;
  const CAnalog_In_Basic_Functionality basic(&stranger);
  const CAnalog_In_Quality quality(&stranger);
  const CAnalog_In_Basic_Functionality none(nullptr);
  guiLoggingLevel = 1;
  EXPECT_EQ(basic.m_strFourcc, "");
  EXPECT_EQ(basic.m_strVendor, "");
  EXPECT_EQ(basic.m_nWidth, 0);
  EXPECT_EQ(basic.GetClassName(), "");
  EXPECT_EQ(quality.m_nParameter1, 0);
  EXPECT_EQ(quality.m_strParameter2, "");
  EXPECT_EQ(log.Lines(),
            (std::vector<std::string>{
                "Invalid CComponent object used in CAnalog_In_Basic_Functionality().",
                "Invalid CComponent object used in CAnalog_In_Quality().",
                "Invalid CComponent object used in CAnalog_In_Basic_Functionality()."}));
}

TEST(VideoInputTestCases, BytesInAnArchiveMatchTheHandWrittenVectors)
{
  CAnalog_In_Basic_Functionality basic;
  EXPECT_EQ(Store(basic), kBasicDefault);
  CAnalog_In_Basic_Functionality edited;
  Edit(edited);
  EXPECT_EQ(Store(edited), kBasicEdited);
  CAnalog_In_Quality quality;
  EXPECT_EQ(Store(quality), kQualityDefault);
  quality.m_nParameter1 = -2;
  quality.m_strParameter2.clear();
  quality.SetStatus(5);
  EXPECT_EQ(Store(quality), kQualityEdited);
}

TEST(VideoInputTestCases, TheVectorsLoadBackIntoEveryField)
{
  CAnalog_In_Basic_Functionality basic, edited;
  Edit(edited);
  ASSERT_TRUE(Load(basic, kBasicEdited));
  ExpectSameFields(basic, edited);
  CAnalog_In_Quality quality;
  ASSERT_TRUE(Load(quality, kQualityEdited));
  EXPECT_EQ(quality.m_nParameter1, -2);
  EXPECT_EQ(quality.m_strParameter2, "");
  EXPECT_EQ(quality.GetStatus(), 5u);
}

// A suite file names the classes, so a suite of video tests loads back as such; every cut of
// the file is refused with an error instead of a half-read test case.
TEST(VideoInputTestCases, ASuiteFileLoadsBackAndEveryTruncationIsRefused)
{
  CAnalog_In_Basic_Functionality edited;
  Edit(edited);
  CTestSuite suite;
  suite.push_back(edited.Clone());
  suite.push_back(new CAnalog_In_Quality);
  suite.m_strName = "Video";
  const Bytes stored = Store(suite);
  const Bytes expectedStart =
      Join({{0x02, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x1E, 0x00}, "CAnalog_In_Basic_Functionality"});
  ASSERT_GE(stored.size(), expectedStart.size() + kBasicEdited.size());
  EXPECT_EQ(Bytes(stored.begin(), stored.begin() + std::ptrdiff_t(expectedStart.size())),
            expectedStart);
  EXPECT_EQ(Bytes(stored.begin() + std::ptrdiff_t(expectedStart.size()),
                  stored.begin() + std::ptrdiff_t(expectedStart.size() + kBasicEdited.size())),
            kBasicEdited);

  CTestSuite loaded;
  ASSERT_TRUE(Load(loaded, stored));
  ASSERT_EQ(loaded.size(), 2u);
  auto* basic = dynamic_cast<CAnalog_In_Basic_Functionality*>(loaded.front());
  ASSERT_NE(basic, nullptr);
  ExpectSameFields(*basic, edited);
  EXPECT_NE(dynamic_cast<CAnalog_In_Quality*>(loaded.back()), nullptr);
  EXPECT_EQ(loaded.GetName(), "Video");

  for (size_t cut = 1; cut < stored.size(); ++cut) {
    CTestSuite partial;
    EXPECT_FALSE(Load(partial, Bytes(stored.begin(), stored.begin() + std::ptrdiff_t(cut)))) << cut;
    EXPECT_TRUE(partial.empty()) << cut;
  }
}

TEST(VideoInputTestCases, ClonesAndCopiesCarryEveryField)
{
  CAnalog_In_Basic_Functionality original;
  Edit(original);
  std::unique_ptr<CTestCase> clone(original.Clone());
  auto* basic = dynamic_cast<CAnalog_In_Basic_Functionality*>(clone.get());
  ASSERT_NE(basic, nullptr);
  ExpectSameFields(*basic, original);

  CAnalog_In_Quality quality;
  quality.m_nParameter1 = 7;
  quality.m_strParameter2 = "seven";
  std::unique_ptr<CTestCase> qualityClone(quality.Clone());
  auto* copied = dynamic_cast<CAnalog_In_Quality*>(qualityClone.get());
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->m_nParameter1, 7);
  EXPECT_EQ(copied->m_strParameter2, "seven");

  // Copying from a test case of the other class takes the base fields only.
  CAnalog_In_Basic_Functionality target;
  target.CopyFrom(&quality);
  EXPECT_EQ(target.GetLabel(), "Analog_In_Quality");
  EXPECT_EQ(target.m_strFourcc, "YUY2");
}

TEST(VideoInputTestCases, TheExampleTestShowsItsParametersAndPasses)
{
  LogCapture capture;
  guiLoggingLevel = 2;
  CAnalog_In_Quality quality;
  quality.m_nParameter1 = 5;
  quality.m_strParameter2 = "five";
  EXPECT_EQ(quality.Execute(), kTestStatusPassed);
  guiLoggingLevel = 1;
  using Kind = LogCapture::Kind;
  std::vector<std::pair<Kind, std::string>> got;
  for (const LogCapture::Message& m : capture.Messages())
    got.emplace_back(m.kind, m.text);
  const std::string work = "Doing some work in Example test case #1.";
  EXPECT_EQ(got, (std::vector<std::pair<Kind, std::string>>{
                     {Kind::Condition, "Parameter #1 = 5"},
                     {Kind::Condition, "Parameter #2 = five"},
                     {Kind::Log, work},
                     {Kind::Log, work},
                     {Kind::Log, work},
                     {Kind::Result, "13 CRC errors were encountered."},
                     {Kind::Result, "0 Retrains were reported."}}));
}
