// Putting dragged test cases into a suite: copies of tree items inserted at the drop row in
// tree order, and test cases moved or copied between suite windows. Rows are suite-list
// positions, since a suite window lists its suite in order. User-interface thread only.
#pragma once

#include "harness/halvexdoc.h"
#include "harness/settings.h"
#include "harness/stringtable.h"
#include "harness/treecontent.h"

#include <cstddef>
#include <vector>

namespace harness {

// Where a dragged tree item comes from, which decides how its test cases are copied.
enum class DragSource {
  AvailableTests, // prototypes: a new object of the prototype's class, then CopyFrom
  Suites,         // stored suites: Clone
};

// Inserts the dragged item into the document before the test case at `row` (at or past the
// last row: at the end) and moves `row` past what it inserted, so several items keep their
// tree order. An item with children inserts each child the same way; one that is no test case
// is logged at level 3 and skipped. Returns the number of test cases inserted; the document
// is marked modified when it is not 0. A running suite takes nothing.
std::size_t InsertDroppedItem(CHalvexDoc& doc, std::size_t& row, const TreeEntry& item,
                              DragSource source, const StringTable& strings,
                              const LogFunction& log);

// Clones of the source's test cases at `rows` (in row order) go into the target before the
// test case at `targetRow` (or at the end); unless copying, the originals then leave the
// source and are deleted. Source and target may be one document. A test case that cannot be
// cloned stays where it is. Returns the number inserted; each changed document is marked
// modified. Nothing moves into or out of a running suite.
std::size_t TransferTestCases(CHalvexDoc& source, std::vector<std::size_t> rows, CHalvexDoc& target,
                              std::size_t targetRow, bool copy, const StringTable& strings,
                              const LogFunction& log);

} // namespace harness
