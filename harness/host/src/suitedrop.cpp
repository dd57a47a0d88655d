// The drop rules of the suite windows.
#include "harness/suitedrop.h"

#include "harness/stringids.h"

#include <algorithm>
#include <iterator>

namespace harness {

namespace {

constexpr unsigned kLevelNotice = 3;

void Log(const LogFunction& log, unsigned level, const std::string& text)
{
  if (log)
    log(level, text);
}

CTestSuite::iterator RowIterator(CTestSuite& suite, std::size_t row)
{
  auto it = suite.begin();
  std::advance(it, static_cast<std::ptrdiff_t>(std::min(row, suite.size())));
  return it;
}

// A new object of the prototype's run-time class with the prototype copied into it.
CTestCase* CopyOfPrototype(const CTestCase& prototype)
{
  CObject* pObject = prototype.GetRuntimeClass()->CreateObject();
  if (pObject == nullptr)
    return nullptr;
  if (!pObject->IsKindOf(PLINTH_RUNTIME_CLASS(CTestCase))) {
    delete pObject;
    return nullptr;
  }
  auto* pCopy = static_cast<CTestCase*>(pObject);
  pCopy->CopyFrom(&prototype);
  return pCopy;
}

std::size_t InsertEntry(CHalvexDoc& doc, std::size_t& row, const TreeEntry& item, DragSource source,
                        const StringTable& strings, const LogFunction& log)
{
  if (!item.children.empty()) {
    std::size_t inserted = 0;
    for (const TreeEntry& child : item.children)
      inserted += InsertEntry(doc, row, child, source, strings, log);
    return inserted;
  }
  if (item.pData == nullptr) {
    Log(log, kLevelNotice, strings.Format(ids::kDropNoObject, {item.text}));
    return 0;
  }
  if (!item.pData->IsKindOf(PLINTH_RUNTIME_CLASS(CTestCase))) {
    Log(log, kLevelNotice, strings.Format(ids::kDropNotTestCase, {item.text}));
    return 0;
  }
  const auto* pTestCase = static_cast<const CTestCase*>(item.pData);
  CTestCase* pCopy =
      source == DragSource::AvailableTests ? CopyOfPrototype(*pTestCase) : pTestCase->Clone();
  if (pCopy == nullptr) {
    Log(log, 0, strings.Format(ids::kDropCopyFailed, {item.text}));
    return 0;
  }
  doc.m_suite.insert(RowIterator(doc.m_suite, row), pCopy);
  doc.SetModifiedFlag();
  ++row;
  return 1;
}

} // namespace

std::size_t InsertDroppedItem(CHalvexDoc& doc, std::size_t& row, const TreeEntry& item,
                              DragSource source, const StringTable& strings, const LogFunction& log)
{
  if (doc.m_nDocState == kDocStateRunning)
    return 0;
  row = std::min(row, doc.m_suite.size());
  return InsertEntry(doc, row, item, source, strings, log);
}

std::size_t TransferTestCases(CHalvexDoc& source, std::vector<std::size_t> rows, CHalvexDoc& target,
                              std::size_t targetRow, bool copy, const StringTable& strings,
                              const LogFunction& log)
{
  if (target.m_nDocState == kDocStateRunning || (!copy && source.m_nDocState == kDocStateRunning))
    return 0;
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  // Found by pointer before anything moves, as inserting shifts the rows of a shared list.
  std::vector<CTestCase*> originals;
  for (std::size_t row : rows)
    if (CTestCase* p = source.TestCaseAt(row))
      originals.push_back(p);
  const auto before = RowIterator(target.m_suite, targetRow);
  std::vector<CTestCase*> cut;
  for (CTestCase* pOriginal : originals) {
    CTestCase* pClone = pOriginal->Clone();
    if (pClone == nullptr) {
      Log(log, 0, strings.Format(ids::kDropCopyFailed, {pOriginal->GetLabel()}));
      continue;
    }
    target.m_suite.insert(before, pClone);
    target.SetModifiedFlag();
    cut.push_back(pOriginal);
  }
  if (!copy && !cut.empty()) {
    for (CTestCase* pOriginal : cut) {
      source.m_suite.remove(pOriginal);
      DestructElements(&pOriginal, 1);
    }
    source.SetModifiedFlag();
  }
  return cut.size();
}

} // namespace harness
