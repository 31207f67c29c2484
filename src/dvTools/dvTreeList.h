#pragma once
// An ordered tree of small fixed-size items, each carrying one data pointer that belongs to the user of
// the tree. Items are made and freed only by the four operations below; the user frees what the data
// pointer refers to from the event that the tree calls for every item it deletes.

#include <cstdint>
#include <functional>

struct TTreeItem;
using PTreeItem = TTreeItem*;

struct TTreeItem {
  PTreeItem Parent = nullptr;
  PTreeItem Previous = nullptr;
  PTreeItem Next = nullptr;
  PTreeItem FirstChild = nullptr;
  PTreeItem LastChild = nullptr;
  std::int32_t Level = 0;  // 0 for a free-standing item, the parent's level plus 1 otherwise
  void* Data = nullptr;    // the user's; never read or freed here
};

// Called for one item. An empty event is never called.
using TTreeItemEvent = std::function<void(PTreeItem)>;

// Makes an item and stores it in `item` before anything else. With a parent the item becomes its last
// child; without one it stands free at level 0. Returns the item.
PTreeItem NewTreeItem(PTreeItem parent, PTreeItem& item);

// Frees the item's descendants (as ClearTreeItem), unlinks it, calls the event for it, frees it and sets
// `item` to none. Nothing happens for none.
void DeleteTreeItem(PTreeItem& item, const TTreeItemEvent& event);

// Frees every descendant of the item, calling the event for each just before it is freed (so each item
// is seen after its own descendants). The item stays, without children.
void ClearTreeItem(PTreeItem item, const TTreeItemEvent& event);

// Calls the event for every descendant, depth-first, each item before its children, siblings in order.
// The item itself is not visited. The event must not add, delete or relink items.
void WalkTreeItem(PTreeItem item, const TTreeItemEvent& event);
