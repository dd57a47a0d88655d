#include "plinth/archive.h"

#include "byte_builder.h"
#include "probe_cases.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <unistd.h>

namespace {

std::vector<uint8_t> Store(const std::function<void(CArchive&)>& write, size_t bufSize = 4096)
{
  CMemFile file;
  CArchive ar(&file, CArchive::store, bufSize);
  write(ar);
  EXPECT_TRUE(ar.Close());
  return file.Data();
}

std::string Repeat(size_t n)
{
  std::string s(n, 'x');
  for (size_t i = 0; i < n; ++i) {
    s[i] = static_cast<char>('a' + i % 26);
  }
  return s;
}

TEST(ArchiveTest, IntegersAreLittleEndian)
{
  auto bytes = Store([](CArchive& ar) {
    ar << uint8_t{0x12} << uint16_t{0x3456} << uint32_t{0x789ABCDE} << int32_t{-2}
       << uint64_t{0x0102030405060708ull};
  });
  std::vector<uint8_t> expected{0x12, 0x56, 0x34, 0xDE, 0xBC, 0x9A, 0x78, 0xFE, 0xFF, 0xFF,
                                0xFF, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01};
  EXPECT_EQ(bytes, expected);

  CMemFile in(bytes.data(), bytes.size());
  CArchive ar(&in, CArchive::load);
  uint8_t a = 0;
  uint16_t b = 0;
  uint32_t c = 0;
  int32_t d = 0;
  uint64_t e = 0;
  ar >> a >> b >> c >> d >> e;
  EXPECT_FALSE(ar.Failed());
  EXPECT_EQ(a, 0x12);
  EXPECT_EQ(b, 0x3456);
  EXPECT_EQ(c, 0x789ABCDEu);
  EXPECT_EQ(d, -2);
  EXPECT_EQ(e, 0x0102030405060708ull);
  EXPECT_TRUE(ar.AtEnd());
}

TEST(ArchiveTest, CountForms)
{
  struct Case
  {
    uint32_t count;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {0, {0x00, 0x00}},
      {1, {0x01, 0x00}},
      {0xFFFE, {0xFE, 0xFF}},
      {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
      {0x10000, {0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
      {0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    EXPECT_EQ(Store([&](CArchive& ar) { ar.WriteCount(c.count); }), c.bytes);
    CMemFile in(c.bytes.data(), c.bytes.size());
    CArchive ar(&in, CArchive::load);
    EXPECT_EQ(ar.ReadCount(), c.count);
    EXPECT_FALSE(ar.Failed());
  }
}

TEST(ArchiveTest, StringForms)
{
  struct Case
  {
    size_t length;
    std::vector<uint8_t> prefix;
  };
  const Case cases[] = {
      {0, {0x00}},
      {1, {0x01}},
      {254, {0xFE}},
      {255, {0xFF, 0xFF, 0x00}},
      {256, {0xFF, 0x00, 0x01}},
      {65533, {0xFF, 0xFD, 0xFF}},
      {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
      {65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
      {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const std::string text = Repeat(c.length);
    ByteBuilder expected;
    for (uint8_t b : c.prefix) {
      expected.u8(b);
    }
    expected.chars(text);
    // A small buffer makes the long strings cross many buffer boundaries.
    EXPECT_EQ(Store([&](CArchive& ar) { ar << text; }, 64), expected.bytes);
    CMemFile in(expected.bytes.data(), expected.bytes.size());
    CArchive ar(&in, CArchive::load, 64);
    std::string back;
    ar >> back;
    EXPECT_FALSE(ar.Failed());
    EXPECT_EQ(back, text);
    EXPECT_TRUE(ar.AtEnd());
  }
}

TEST(ArchiveTest, EightBitCharactersPassUnchanged)
{
  std::string text;
  for (int c = 1; c < 256; ++c) {
    text.push_back(static_cast<char>(c));
  }
  auto bytes = Store([&](CArchive& ar) { ar << text; });
  ASSERT_EQ(bytes.size(), 3 + text.size());
  CMemFile in(bytes.data(), bytes.size());
  CArchive ar(&in, CArchive::load);
  EXPECT_EQ(ar.ReadString(), text);
}

TEST(ArchiveTest, DamagedStringsAreErrors)
{
  struct Case
  {
    const char* name;
    std::vector<uint8_t> bytes;
    ArchiveError cause;
    uint64_t offset;
  };
  const Case cases[] = {
      {"length past the end", {0x05, 'a', 'b'}, ArchiveError::endOfFile, 1},
      {"16-bit length cut", {0xFF, 0x10}, ArchiveError::endOfFile, 1},
      {"32-bit length past the end",
       {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'},
       ArchiveError::endOfFile,
       7},
      {"reserved 16-bit length", {0xFF, 0xFE, 0xFF, 'a'}, ArchiveError::generic, 0},
      {"nothing at all", {}, ArchiveError::endOfFile, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CMemFile in(c.bytes.data(), c.bytes.size());
    CArchive ar(&in, CArchive::load);
    EXPECT_EQ(ar.ReadString(), "");
    EXPECT_EQ(ar.GetError(), c.cause);
    EXPECT_EQ(ar.GetErrorOffset(), c.offset);
    // Once failed, everything reads as zero and the first cause stays.
    EXPECT_EQ(ar.ReadCount(), 0u);
    EXPECT_EQ(ar.GetError(), c.cause);
  }
}

TEST(ArchiveTest, DirectionErrors)
{
  CMemFile out;
  CArchive storing(&out, CArchive::store);
  storing.ReadCount();
  EXPECT_EQ(storing.GetError(), ArchiveError::writeOnly);

  std::vector<uint8_t> bytes{1, 2, 3};
  CMemFile in(bytes.data(), bytes.size());
  CArchive loading(&in, CArchive::load);
  loading << uint32_t{7};
  EXPECT_EQ(loading.GetError(), ArchiveError::readOnly);
}

TEST(ArchiveTest, ObjectRecordsAndBackReferences)
{
  CProbeCase a, b;
  CTestCase c;
  a.m_nProbe = 7;
  auto bytes = Store([&](CArchive& ar) {
    ar.WriteObject(&a);
    ar.WriteObject(&b);
    ar.WriteObject(&c);
    ar.WriteObject(nullptr);
    ar.WriteObject(&b); // met before: its index only
  });
  ByteBuilder expected;
  expected.newClass("CProbeCase").base("", "", "", 1, 1).u32(7); // class 1, object 2
  expected.u16(0x8001).base("", "", "", 1, 1).u32(0);            // object 3
  expected.newClass("CTestCase").base("", "", "", 1, 1);         // class 4, object 5
  expected.u16(0x0000);
  expected.u16(0x0003);
  EXPECT_EQ(bytes, expected.bytes);

  CMemFile in(bytes.data(), bytes.size());
  CArchive ar(&in, CArchive::load);
  bool created = false;
  std::unique_ptr<CObject> ra(ar.ReadObject(PLINTH_RUNTIME_CLASS(CTestCase), &created));
  EXPECT_TRUE(created);
  std::unique_ptr<CObject> rb(ar.ReadObject(PLINTH_RUNTIME_CLASS(CTestCase), &created));
  std::unique_ptr<CObject> rc(ar.ReadObject(PLINTH_RUNTIME_CLASS(CTestCase), &created));
  EXPECT_EQ(ar.ReadObject(nullptr, &created), nullptr);
  EXPECT_FALSE(created);
  CObject* again = ar.ReadObject(PLINTH_RUNTIME_CLASS(CProbeCase), &created);
  EXPECT_FALSE(created);
  EXPECT_EQ(again, rb.get());
  ASSERT_FALSE(ar.Failed()) << ArchiveErrorText(ar.GetError());
  ASSERT_TRUE(ra->IsKindOf(PLINTH_RUNTIME_CLASS(CProbeCase)));
  EXPECT_EQ(static_cast<CProbeCase*>(ra.get())->m_nProbe, 7u);
  EXPECT_TRUE(rb->IsKindOf(PLINTH_RUNTIME_CLASS(CProbeCase)));
  EXPECT_FALSE(rc->IsKindOf(PLINTH_RUNTIME_CLASS(CProbeCase)));
  EXPECT_TRUE(rc->IsKindOf(PLINTH_RUNTIME_CLASS(CTestCase)));
}

TEST(ArchiveTest, BigObjectIndexForms)
{
  // Class 1, then objects 2 .. 0x8000; re-referencing objects 0x7FFE and 0x7FFF crosses into
  // the big form.
  const uint32_t objects = 0x7FFF;
  std::vector<std::unique_ptr<CTestCase>> cases;
  for (uint32_t i = 0; i < objects; ++i) {
    cases.push_back(std::make_unique<CTestCase>());
  }
  auto bytes = Store([&](CArchive& ar) {
    for (auto& p : cases) {
      ar.WriteObject(p.get());
    }
    ar.WriteObject(cases[0x7FFE - 2].get());
    ar.WriteObject(cases[0x7FFF - 2].get());
    ar.WriteObject(cases[0x8000 - 2].get());
  });
  ByteBuilder expected;
  expected.newClass("CTestCase").base("", "", "", 1, 1);
  for (uint32_t i = 1; i < objects; ++i) {
    expected.u16(0x8001).base("", "", "", 1, 1);
  }
  expected.u16(0x7FFE);
  expected.u16(0x7FFF).u32(0x00007FFF);
  expected.u16(0x7FFF).u32(0x00008000);
  ASSERT_EQ(bytes, expected.bytes);

  CMemFile in(bytes.data(), bytes.size());
  CArchive ar(&in, CArchive::load);
  std::vector<std::unique_ptr<CObject>> loaded;
  for (uint32_t i = 0; i < objects; ++i) {
    loaded.emplace_back(ar.ReadObject(PLINTH_RUNTIME_CLASS(CTestCase)));
  }
  EXPECT_EQ(ar.ReadObject(nullptr), loaded[0x7FFE - 2].get());
  EXPECT_EQ(ar.ReadObject(nullptr), loaded[0x7FFF - 2].get());
  EXPECT_EQ(ar.ReadObject(nullptr), loaded[0x8000 - 2].get());
  EXPECT_FALSE(ar.Failed()) << ArchiveErrorText(ar.GetError());
}

TEST(ArchiveTest, BadRecordsAreErrors)
{
  struct Case
  {
    const char* name;
    ByteBuilder bytes;
    const CRuntimeClass* requested;
    ArchiveError cause;
  };
  ByteBuilder oneProbe;
  oneProbe.newClass("CProbeCase").base("", "", "", 1, 1).u32(0);
  const Case cases[] = {
      {"unknown class", ByteBuilder().newClass("CNoSuchCase"), nullptr, ArchiveError::badClass},
      {"wrong schema", ByteBuilder().newClass("CProbeCase", 2), nullptr, ArchiveError::badSchema},
      {"schema two stored as one", ByteBuilder().newClass("CSchemaTwoCase", 1), nullptr,
       ArchiveError::badSchema},
      {"class that cannot be created", ByteBuilder().newClass("CComponent", 0xFFFF), nullptr,
       ArchiveError::badClass},
      {"class of the wrong kind", ByteBuilder().newClass("CTestSuite"),
       PLINTH_RUNTIME_CLASS(CTestCase), ArchiveError::badClass},
      {"class index never met", ByteBuilder().u16(0x8001), nullptr, ArchiveError::badIndex},
      {"class index zero", ByteBuilder().u16(0x8000), nullptr, ArchiveError::badIndex},
      {"object index never met", ByteBuilder().u16(0x0001), nullptr, ArchiveError::badIndex},
      {"big object index never met", ByteBuilder().u16(0x7FFF).u32(0x12345678), nullptr,
       ArchiveError::badIndex},
      {"big class index never met", ByteBuilder().u16(0x7FFF).u32(0xFFFFFFFF), nullptr,
       ArchiveError::badIndex},
      {"class index names an object", ByteBuilder(oneProbe).u16(0x8002), nullptr,
       ArchiveError::badIndex},
      {"object index names a class", ByteBuilder(oneProbe).u16(0x0001), nullptr,
       ArchiveError::badIndex},
      {"class name cut", ByteBuilder().u16(0xFFFF).u16(1).u16(10).chars("CPro"), nullptr,
       ArchiveError::endOfFile},
      {"object data cut", ByteBuilder().newClass("CProbeCase").str("owner"), nullptr,
       ArchiveError::endOfFile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CMemFile in(c.bytes.bytes.data(), c.bytes.bytes.size());
    CArchive ar(&in, CArchive::load);
    std::vector<std::unique_ptr<CObject>> owned;
    for (int i = 0; i < 3 && !ar.Failed(); ++i) {
      bool created = false;
      CObject* p = ar.ReadObject(c.requested, &created);
      if (created) {
        owned.emplace_back(p);
      }
    }
    EXPECT_EQ(ar.GetError(), c.cause) << ArchiveErrorText(ar.GetError());
  }
}

TEST(ArchiveTest, ErrorOffsetIsTheRecordStart)
{
  ByteBuilder bytes;
  bytes.newClass("CProbeCase").base("o", "l", "m", 1, 1).u32(0).newClass("CNoSuchCase");
  const uint64_t second = 2 + 2 + 2 + 10 + 2 + 2 + 2 + 4 + 4 + 4;
  CMemFile in(bytes.bytes.data(), bytes.bytes.size());
  CArchive ar(&in, CArchive::load);
  std::unique_ptr<CObject> first(ar.ReadObject(nullptr));
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(ar.GetPosition(), second);
  EXPECT_EQ(ar.ReadObject(nullptr), nullptr);
  EXPECT_EQ(ar.GetError(), ArchiveError::badClass);
  EXPECT_EQ(ar.GetErrorOffset(), second);
}

TEST(ArchiveTest, FileFailuresAreGenericErrors)
{
  CFile full;
  if (!full.Open("/dev/full", CFile::modeWrite)) {
    GTEST_SKIP() << "no /dev/full";
  }
  CArchive ar(&full, CArchive::store, 16);
  ar << std::string(100, 'x');
  EXPECT_FALSE(ar.Close());
  EXPECT_EQ(ar.GetError(), ArchiveError::generic);
  EXPECT_EQ(ar.GetErrorNumber(), ENOSPC);

  CFile missing;
  EXPECT_FALSE(missing.Open("/nonexistent/halvex/none.ts", CFile::modeRead));
  EXPECT_EQ(missing.GetLastError(), ENOENT);
}

TEST(ArchiveTest, CauseTextsDiffer)
{
  std::set<std::string> texts;
  for (int i = 0; i <= 8; ++i) {
    texts.insert(ArchiveErrorText(static_cast<ArchiveError>(i)));
  }
  EXPECT_EQ(texts.size(), 9u);
}

} // namespace
