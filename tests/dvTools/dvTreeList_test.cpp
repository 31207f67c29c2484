#include "dvTools/dvTreeList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// R with children A and B; A with children A1 and A2. Each item's data is its name.
struct Tree {
  PTreeItem R = nullptr, A = nullptr, B = nullptr, A1 = nullptr, A2 = nullptr;
  std::vector<std::string> seen;
  TTreeItemEvent record = [this](PTreeItem item) { seen.push_back(static_cast<const char*>(item->Data)); };

  Tree() {
    Name(NewTreeItem(nullptr, R), "R");
    Name(NewTreeItem(R, A), "A");
    Name(NewTreeItem(R, B), "B");
    Name(NewTreeItem(A, A1), "A1");
    Name(NewTreeItem(A, A2), "A2");
  }
  ~Tree() { DeleteTreeItem(R, {}); }
  static void Name(PTreeItem item, const char* name) { item->Data = const_cast<char*>(name); }
};

std::string Names(const std::vector<std::string>& names) {
  std::string all;
  for (const auto& n : names) all += (all.empty() ? "" : ",") + n;
  return all;
}

}  // namespace

TEST(TreeList, NewItemLinksAsLastChildWithParentLevelPlusOne) {
  PTreeItem root = nullptr, first = nullptr, second = nullptr, third = nullptr, deep = nullptr;
  PTreeItem returned = NewTreeItem(nullptr, root);
  EXPECT_EQ(returned, root);
  EXPECT_EQ(root->Level, 0);
  EXPECT_EQ(root->Parent, nullptr);

  NewTreeItem(root, first);
  EXPECT_EQ(root->FirstChild, first);
  EXPECT_EQ(root->LastChild, first);
  EXPECT_EQ(first->Previous, nullptr);
  EXPECT_EQ(first->Next, nullptr);
  EXPECT_EQ(first->Level, 1);
  EXPECT_EQ(first->Data, nullptr);

  NewTreeItem(root, second);
  EXPECT_EQ(root->FirstChild, first);
  EXPECT_EQ(root->LastChild, second);
  EXPECT_EQ(first->Next, second);
  EXPECT_EQ(second->Previous, first);
  EXPECT_EQ(second->Parent, root);

  // A chain that lost its last-child link is still appended at its true end.
  root->LastChild = nullptr;
  NewTreeItem(root, third);
  EXPECT_EQ(second->Next, third);
  EXPECT_EQ(third->Previous, second);
  EXPECT_EQ(root->LastChild, third);

  PTreeItem level2 = nullptr;
  NewTreeItem(first, level2);
  NewTreeItem(level2, deep);
  EXPECT_EQ(deep->Level, 3);
  DeleteTreeItem(root, {});
  EXPECT_EQ(root, nullptr);
}

TEST(TreeList, ClearCallsEventForDescendantsAfterTheirChildren) {
  Tree t;
  ClearTreeItem(t.R, t.record);
  EXPECT_EQ(Names(t.seen), "A1,A2,A,B");
  EXPECT_EQ(t.R->FirstChild, nullptr);
  EXPECT_EQ(t.R->LastChild, nullptr);
  t.seen.clear();
  ClearTreeItem(t.R, t.record);  // no children: nothing is called
  ClearTreeItem(nullptr, t.record);
  EXPECT_TRUE(t.seen.empty());
}

TEST(TreeList, WalkVisitsParentsBeforeChildrenSiblingsInOrder) {
  Tree t;
  WalkTreeItem(t.R, t.record);
  EXPECT_EQ(Names(t.seen), "A,A1,A2,B");
  t.seen.clear();
  WalkTreeItem(t.B, t.record);
  WalkTreeItem(nullptr, t.record);
  WalkTreeItem(t.R, {});
  EXPECT_TRUE(t.seen.empty());
}

TEST(TreeList, DeleteUnlinksFromSiblingsAndParent) {
  struct Row {
    const char* remove;  // which child of R (or A) to delete
    const char* events;
    const char* leftUnderR;
    const char* leftUnderA;
  };
  const Row rows[] = {
      {"A", "A1,A2,A", "B", ""},  // first of two: B becomes first child
      {"B", "B", "A", "A1,A2"},   // last of two: A becomes last child
      {"A1", "A1", "A,B", "A2"},  // first grandchild
      {"A2", "A2", "A,B", "A1"},  // last grandchild
  };
  auto children = [](PTreeItem parent) {
    std::string all;
    for (PTreeItem c = parent->FirstChild; c; c = c->Next) {
      all += (all.empty() ? "" : ",") + std::string(static_cast<const char*>(c->Data));
      if (!c->Next) {
        EXPECT_EQ(parent->LastChild, c);
      }
      if (c == parent->FirstChild) {
        EXPECT_EQ(c->Previous, nullptr);
      }
    }
    if (!parent->FirstChild) {
      EXPECT_EQ(parent->LastChild, nullptr);
    }
    return all;
  };
  for (const Row& r : rows) {
    Tree t;
    PTreeItem* target = std::string(r.remove) == "A"    ? &t.A
                        : std::string(r.remove) == "B"  ? &t.B
                        : std::string(r.remove) == "A1" ? &t.A1
                                                        : &t.A2;
    DeleteTreeItem(*target, t.record);
    EXPECT_EQ(*target, nullptr) << r.remove;
    EXPECT_EQ(Names(t.seen), r.events) << r.remove;
    EXPECT_EQ(children(t.R), r.leftUnderR) << r.remove;
    if (std::string(r.remove) != "A") {
      EXPECT_EQ(children(t.A), r.leftUnderA) << r.remove;
    }
  }
}

TEST(TreeList, DeleteOnlyChildAndFreeStandingItems) {
  PTreeItem parent = nullptr, only = nullptr, loose = nullptr, looseChild = nullptr;
  NewTreeItem(nullptr, parent);
  NewTreeItem(parent, only);
  DeleteTreeItem(only, {});  // an empty event is never called; the item is still freed
  EXPECT_EQ(parent->FirstChild, nullptr);
  EXPECT_EQ(parent->LastChild, nullptr);

  NewTreeItem(nullptr, loose);
  NewTreeItem(loose, looseChild);
  EXPECT_EQ(looseChild->Level, 1);
  int calls = 0;
  DeleteTreeItem(loose, [&](PTreeItem) { ++calls; });
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(parent->FirstChild, nullptr);

  PTreeItem none = nullptr;
  DeleteTreeItem(none, [&](PTreeItem) { ++calls; });
  EXPECT_EQ(calls, 2);
  DeleteTreeItem(parent, {});
}
