#include "dvTools/dvTreeList.h"

PTreeItem NewTreeItem(PTreeItem parent, PTreeItem& item) {
  item = new TTreeItem{};
  if (parent) {
    if (!parent->FirstChild) {
      parent->FirstChild = item;
    } else {
      PTreeItem last = parent->LastChild;
      // A chain whose last-child link went missing is still appended at its true end.
      if (!last) {
        last = parent->FirstChild;
        while (last->Next) last = last->Next;
      }
      item->Previous = last;
      last->Next = item;
    }
    item->Parent = parent;
    parent->LastChild = item;
    item->Level = parent->Level + 1;
  }
  return item;
}

void DeleteTreeItem(PTreeItem& item, const TTreeItemEvent& event) {
  if (!item) return;
  if (item->FirstChild) ClearTreeItem(item, event);
  if (item->Previous) item->Previous->Next = item->Next;
  if (item->Next) item->Next->Previous = item->Previous;
  if (PTreeItem parent = item->Parent) {
    if (parent->FirstChild == item) parent->FirstChild = item->Next;
    if (parent->LastChild == item) parent->LastChild = item->Previous;
  }
  if (event) event(item);
  delete item;
  item = nullptr;
}

void ClearTreeItem(PTreeItem item, const TTreeItemEvent& event) {
  if (!item) return;
  PTreeItem child = item->FirstChild;
  while (child) {
    if (child->FirstChild) ClearTreeItem(child, event);
    PTreeItem next = child->Next;
    if (event) event(child);
    delete child;
    child = next;
  }
  item->FirstChild = nullptr;
  item->LastChild = nullptr;
}

void WalkTreeItem(PTreeItem item, const TTreeItemEvent& event) {
  if (!item) return;
  for (PTreeItem child = item->FirstChild; child; child = child->Next) {
    if (event) event(child);
    if (child->FirstChild) WalkTreeItem(child, event);
  }
}
