#include "plinth/testsuite.h"
#include "testsupport/tempfolder.h"

#include "plinth/archive.h"

#include "byte_builder.h"
#include "probe_cases.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::vector<uint8_t> StoreSuite(CTestSuite& suite)
{
  CMemFile file;
  CArchive ar(&file, CArchive::store);
  suite.Serialize(ar);
  EXPECT_TRUE(ar.Close());
  return file.Data();
}

// Loads into a fresh suite; returns the archive's error.
ArchiveError LoadSuite(const std::vector<uint8_t>& bytes, CTestSuite& suite,
                       uint64_t* offset = nullptr, size_t bufSize = 4096)
{
  CMemFile file(bytes.data(), bytes.size());
  CArchive ar(&file, CArchive::load, bufSize);
  suite.Serialize(ar);
  if (offset != nullptr) {
    *offset = ar.GetErrorOffset();
  }
  return ar.GetError();
}

void ExpectInitial(const CTestSuite& suite)
{
  CTestSuite fresh;
  EXPECT_TRUE(suite.empty());
  EXPECT_EQ(suite.GetName(), fresh.GetName());
  EXPECT_EQ(suite.GetPath(), fresh.GetPath());
  EXPECT_EQ(suite.GetComponent(), fresh.GetComponent());
  EXPECT_EQ(suite.m_dwSuiteValue, 1u);
}

CTestCase* MakeCase(CTestCase* p, const std::string& owner, const std::string& label,
                    const std::string& model, int iterations, uint32_t status)
{
  p->m_strClassName = owner;
  p->m_strLabel = label;
  p->m_strModelName = model;
  p->m_nIterations = iterations;
  p->m_dwStatus = status;
  return p;
}

// Three test cases of two classes: a new class record, a back-reference, another new class.
void FillThree(CTestSuite& suite)
{
  auto* a = static_cast<CProbeCase*>(MakeCase(new CProbeCase, "Comp", "a", "M", 2, 6));
  a->m_nProbe = 0x01020304;
  suite.push_back(a);
  suite.push_back(MakeCase(new CProbeCase, "Comp", "b", "M", 1, 5));
  suite.push_back(MakeCase(new CTestCase, "Other", "c", "Default", 0, 7));
  suite.m_strName = "Three";
  suite.m_strPath = "/s/three.ts";
  suite.m_strComponent = "Several";
  suite.m_dwSuiteValue = 0xA1B2C3D4;
}

const std::vector<uint8_t> kThreeCases = {
    0x03, 0x00, // count
    0xFF, 0xFF, 0x01, 0x00, 0x0A, 0x00, 'C',  'P',  'r',  'o',  'b',  'e',
    'C',  'a',  's',  'e', // class 1
    0x04, 'C',  'o',  'm',  'p',  0x01, 'a',  0x01, 'M',  0x02, 0x00, 0x00,
    0x00, 0x06, 0x00, 0x00, 0x00, 0x04, 0x03, 0x02, 0x01, // object 2
    0x01, 0x80,                                           // class 1 again
    0x04, 'C',  'o',  'm',  'p',  0x01, 'b',  0x01, 'M',  0x01, 0x00, 0x00,
    0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // object 3
    0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00, 'C',  'T',  'e',  's',  't',  'C',
    'a',  's',  'e', // class 4
    0x05, 'O',  't',  'h',  'e',  'r',  0x01, 'c',  0x07, 'D',  'e',  'f',
    'a',  'u',  'l',  't',  0x00, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, // object 5
    0x05, 'T',  'h',  'r',  'e',  'e',                                      // name
    0x0B, '/',  's',  '/',  't',  'h',  'r',  'e',  'e',  '.',  't',  's',  // path
    0x07, 'S',  'e',  'v',  'e',  'r',  'a',  'l',                          // component
    0xD4, 0xC3, 0xB2, 0xA1,                                                 // value
};

TEST(TestSuiteTest, EmptySuiteBytes)
{
  CTestSuite suite;
  suite.m_strName = "Empty";
  suite.m_strPath = "/tmp/e.ts";
  suite.m_strComponent = "Marlow";
  const std::vector<uint8_t> expected = {0x00, 0x00, 0x05, 'E', 'm', 'p',  't',  'y',  0x09, '/',
                                         't',  'm',  'p',  '/', 'e', '.',  't',  's',  0x06, 'M',
                                         'a',  'r',  'l',  'o', 'w', 0x01, 0x00, 0x00, 0x00};
  EXPECT_EQ(StoreSuite(suite), expected);

  CTestSuite back;
  EXPECT_EQ(LoadSuite(expected, back), ArchiveError::none);
  EXPECT_TRUE(back.empty());
  EXPECT_EQ(back.GetName(), "Empty");
  EXPECT_EQ(back.GetPath(), "/tmp/e.ts");
  EXPECT_EQ(back.GetComponent(), "Marlow");
  EXPECT_EQ(back.m_dwSuiteValue, 1u);
}

TEST(TestSuiteTest, ZeroLengthFileIsAnEmptySuite)
{
  CTestSuite suite;
  EXPECT_EQ(LoadSuite({}, suite), ArchiveError::none);
  ExpectInitial(suite);
}

TEST(TestSuiteTest, ThreeCasesOfTwoClassesBytes)
{
  CTestSuite suite;
  FillThree(suite);
  EXPECT_EQ(StoreSuite(suite), kThreeCases);

  CTestSuite back;
  ASSERT_EQ(LoadSuite(kThreeCases, back), ArchiveError::none);
  ASSERT_EQ(back.size(), 3u);
  auto it = back.begin();
  for (const CTestCase* original : suite) {
    const CTestCase* loaded = *it++;
    SCOPED_TRACE(original->GetLabel());
    EXPECT_EQ(loaded->GetRuntimeClass(), original->GetRuntimeClass());
    EXPECT_EQ(loaded->GetClassName(), original->GetClassName());
    EXPECT_EQ(loaded->GetLabel(), original->GetLabel());
    EXPECT_EQ(loaded->GetModelName(), original->GetModelName());
    EXPECT_EQ(loaded->m_nIterations, original->m_nIterations);
    EXPECT_EQ(loaded->m_dwStatus, original->m_dwStatus);
  }
  EXPECT_EQ(static_cast<CProbeCase*>(back.front())->m_nProbe, 0x01020304u);
  EXPECT_EQ(back.GetName(), "Three");
  EXPECT_EQ(back.GetPath(), "/s/three.ts");
  EXPECT_EQ(back.GetComponent(), "Several");
  EXPECT_EQ(back.m_dwSuiteValue, 0xA1B2C3D4u);
}

TEST(TestSuiteTest, LoadingAppendsInFileOrder)
{
  CTestSuite suite;
  suite.push_back(MakeCase(new CTestCase, "X", "first", "", 1, 1));
  ASSERT_EQ(LoadSuite(kThreeCases, suite), ArchiveError::none);
  ASSERT_EQ(suite.size(), 4u);
  std::string labels;
  for (const CTestCase* p : suite) {
    labels += p->GetLabel();
  }
  EXPECT_EQ(labels, "firstabc");
}

TEST(TestSuiteTest, CountFormsAroundTheEscape)
{
  for (uint32_t n : {0xFFFEu, 0xFFFFu}) {
    SCOPED_TRACE(n);
    CTestSuite suite;
    for (uint32_t i = 0; i < n; ++i) {
      suite.push_back(new CTestCase);
    }
    suite.m_strName = "n";
    suite.m_strPath = "";
    suite.m_strComponent = "";
    ByteBuilder expected;
    if (n < 0xFFFF) {
      expected.u16(static_cast<uint16_t>(n));
    } else {
      expected.u16(0xFFFF).u32(n);
    }
    expected.newClass("CTestCase").base("", "", "", 1, 1);
    for (uint32_t i = 1; i < n; ++i) {
      expected.u16(0x8001).base("", "", "", 1, 1);
    }
    expected.str("n").str("").str("").u32(1);
    EXPECT_EQ(StoreSuite(suite), expected.bytes);

    CTestSuite back;
    EXPECT_EQ(LoadSuite(expected.bytes, back), ArchiveError::none);
    EXPECT_EQ(back.size(), n);
  }
}

TEST(TestSuiteTest, LongNames)
{
  struct Case
  {
    size_t length;
    std::vector<uint8_t> prefix;
  };
  const Case cases[] = {
      {254, {0xFE}},
      {255, {0xFF, 0xFF, 0x00}},
      {65533, {0xFF, 0xFD, 0xFF}},
      {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
      {65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    CTestSuite suite;
    suite.m_strName = std::string(c.length, 'N');
    suite.m_strPath = "p";
    suite.m_strComponent = "c";
    ByteBuilder expected;
    expected.u16(0);
    for (uint8_t b : c.prefix) {
      expected.u8(b);
    }
    expected.chars(suite.m_strName).str("p").str("c").u32(1);
    EXPECT_EQ(StoreSuite(suite), expected.bytes);

    CTestSuite back;
    EXPECT_EQ(LoadSuite(expected.bytes, back), ArchiveError::none);
    EXPECT_EQ(back.GetName(), suite.m_strName);
    EXPECT_EQ(back.GetPath(), "p");
  }
}

TEST(TestSuiteTest, BigClassIndexForms)
{
  // Class CTestCase is index 1 and its objects follow; CProbeCase first appears right after
  // them and is referred back to once.
  struct Case
  {
    uint32_t firstClassObjects;
    uint32_t probeClassIndex;
  };
  const Case cases[] = {{0x7FFC, 0x7FFE}, {0x7FFD, 0x7FFF}, {0x7FFE, 0x8000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.probeClassIndex);
    CTestSuite suite;
    for (uint32_t i = 0; i < c.firstClassObjects; ++i) {
      suite.push_back(new CTestCase);
    }
    suite.push_back(new CProbeCase);
    suite.push_back(new CProbeCase);
    suite.m_strName = suite.m_strPath = suite.m_strComponent = "";
    ByteBuilder expected;
    expected.u16(static_cast<uint16_t>(c.firstClassObjects + 2));
    expected.newClass("CTestCase").base("", "", "", 1, 1);
    for (uint32_t i = 1; i < c.firstClassObjects; ++i) {
      expected.u16(0x8001).base("", "", "", 1, 1);
    }
    expected.newClass("CProbeCase").base("", "", "", 1, 1).u32(0);
    if (c.probeClassIndex < 0x7FFF) {
      expected.u16(static_cast<uint16_t>(0x8000 | c.probeClassIndex));
    } else {
      expected.u16(0x7FFF).u32(0x80000000u | c.probeClassIndex);
    }
    expected.base("", "", "", 1, 1).u32(0);
    expected.str("").str("").str("").u32(1);
    EXPECT_EQ(StoreSuite(suite), expected.bytes);

    CTestSuite back;
    EXPECT_EQ(LoadSuite(expected.bytes, back), ArchiveError::none);
    ASSERT_EQ(back.size(), c.firstClassObjects + 2);
    EXPECT_TRUE(back.back()->IsKindOf(PLINTH_RUNTIME_CLASS(CProbeCase)));
  }
}

TEST(TestSuiteTest, CutAtEveryOffsetIsAnErrorAndLeavesTheSuiteAlone)
{
  for (size_t cut = 1; cut < kThreeCases.size(); ++cut) {
    SCOPED_TRACE(cut);
    std::vector<uint8_t> part(kThreeCases.begin(), kThreeCases.begin() + cut);
    for (size_t bufSize : {4096, 3}) {
      CTestSuite suite;
      uint64_t offset = 0;
      EXPECT_EQ(LoadSuite(part, suite, &offset, bufSize), ArchiveError::endOfFile);
      EXPECT_LE(offset, cut);
      ExpectInitial(suite);
    }
  }
}

TEST(TestSuiteTest, FlippedBytesNeverCrashOrHalfLoad)
{
  for (size_t i = 0; i < kThreeCases.size(); ++i) {
    for (uint8_t x : {0x01, 0x80, 0xFF}) {
      std::vector<uint8_t> bytes = kThreeCases;
      bytes[i] ^= x;
      CTestSuite suite;
      if (LoadSuite(bytes, suite) != ArchiveError::none) {
        SCOPED_TRACE(i);
        ExpectInitial(suite);
      }
    }
  }
}

TEST(TestSuiteTest, BadFilesGiveTheirCause)
{
  struct Case
  {
    const char* name;
    ByteBuilder bytes;
    ArchiveError cause;
    uint64_t offset;
  };
  const Case cases[] = {
      {"unknown class", ByteBuilder().u16(1).newClass("CNoSuchCase"), ArchiveError::badClass, 2},
      {"wrong schema", ByteBuilder().u16(1).newClass("CProbeCase", 7), ArchiveError::badSchema, 2},
      {"suite as a test case", ByteBuilder().u16(1).newClass("CTestSuite"), ArchiveError::badClass,
       2},
      {"null test case", ByteBuilder().u16(1).u16(0), ArchiveError::badIndex, 2},
      {"same test case twice",
       ByteBuilder().u16(2).newClass("CTestCase").base("", "", "", 1, 1).u16(0x0002),
       ArchiveError::badIndex, 28},
      {"count beyond the data", ByteBuilder().u16(0xFFFF).u32(0xFFFFFFFF), ArchiveError::endOfFile,
       6},
      {"suite value cut", ByteBuilder().u16(0).str("").str("").str("").u16(1),
       ArchiveError::endOfFile, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CTestSuite suite;
    uint64_t offset = 0;
    EXPECT_EQ(LoadSuite(c.bytes.bytes, suite, &offset), c.cause);
    EXPECT_EQ(offset, c.offset);
    ExpectInitial(suite);
  }
}

struct Reported
{
  int calls = 0;
  unsigned level = 0;
  ArchiveError cause = ArchiveError::none;
  std::string file;
};
Reported g_reported;

void Reporter(const CArchive& ar, unsigned level)
{
  ++g_reported.calls;
  g_reported.level = level;
  g_reported.cause = ar.GetError();
  g_reported.file = ar.GetFileName();
}

using testsupport::TempFolder;

TEST(TestSuiteTest, RealFileRoundTripAndReportedErrors)
{
  TempFolder folder;
  const std::string path = folder.File("three.ts");
  {
    CTestSuite suite;
    FillThree(suite);
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeWrite | CFile::modeCreate));
    CArchive ar(&file, CArchive::store, 4096);
    EXPECT_TRUE(suite.TrySerialize(ar));
    EXPECT_TRUE(ar.Close());
  }
  {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(bytes, kThreeCases);
  }
  {
    CTestSuite suite;
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeRead | CFile::shareDenyWrite));
    CArchive ar(&file, CArchive::load, 4096);
    EXPECT_TRUE(suite.TrySerialize(ar));
    EXPECT_EQ(suite.size(), 3u);
    // A writer is kept out while the reader holds the file.
    CFile writer;
    EXPECT_FALSE(writer.Open(path, CFile::modeWrite));
  }

  ASSERT_EQ(truncate(path.c_str(), 40), 0);
  SetArchiveErrorReporter(&Reporter);
  g_reported = {};
  {
    CTestSuite suite;
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeRead));
    CArchive ar(&file, CArchive::load, 4096);
    EXPECT_FALSE(suite.TrySerialize(ar));
    EXPECT_EQ(ar.GetError(), ArchiveError::endOfFile);
  }
  SetArchiveErrorReporter(nullptr);
  EXPECT_EQ(g_reported.calls, 1);
  EXPECT_EQ(g_reported.level, 2u);
  EXPECT_EQ(g_reported.cause, ArchiveError::endOfFile);
  EXPECT_EQ(g_reported.file, path);
}

TEST(TestSuiteTest, DeleteContentsRestoresInitialTexts)
{
  CTestSuite::SetInitialTexts("Comp text", "Path text", "Name text");
  CTestSuite suite;
  EXPECT_EQ(suite.GetComponent(), "Comp text");
  EXPECT_EQ(suite.GetPath(), "Path text");
  EXPECT_EQ(suite.GetName(), "Name text");
  FillThree(suite);
  suite.DeleteContents();
  ExpectInitial(suite);
  EXPECT_EQ(suite.GetName(), "Name text");
  CTestSuite::SetInitialTexts("Several components", "", "Untitled");
}

} // namespace
