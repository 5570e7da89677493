#include <gtest/gtest.h>

#include "PathUtil.h"
#include "PtrArrayCtrl.h"
#include "PtrQueuesCtrl.h"

TEST(PtrQueues, FirstInFirstOut) {
    CPtrQueuesCtrl q;
    int a = 1, b = 2, c = 3;
    EXPECT_EQ(q.Pop(), nullptr);
    q.Push(&a);
    q.Push(&b);
    q.Push(&c);
    EXPECT_EQ(q.Count(), 3u);
    EXPECT_EQ(q.Back(), &c);
    EXPECT_EQ(q.Pop(), &a);
    EXPECT_EQ(q.Pop(), &b);
    EXPECT_EQ(q.Peek(), &c);
    EXPECT_EQ(q.Pop(), &c);
    EXPECT_EQ(q.IsEmpty(), 1);
}

TEST(PtrArray, PositionalEditsAndBounds) {
    CPtrArrayCtrl arr;
    int v[5] = {0, 1, 2, 3, 4};
    for (int& x : v) arr.Add(&x);
    EXPECT_EQ(arr.InsertAt(6, &v[0]), 0);
    EXPECT_EQ(arr.InsertAt(5, &v[0]), 1);  // append at Count()
    EXPECT_EQ(arr.Count(), 6u);
    EXPECT_EQ(arr.RemoveAt(5), 1);
    EXPECT_EQ(arr.RemoveAt(5), 0);
    EXPECT_EQ(arr.Move(0, 4), 1);  // 1 2 3 4 0
    EXPECT_EQ(arr.GetAt(0), &v[1]);
    EXPECT_EQ(arr.GetAt(4), &v[0]);
    EXPECT_EQ(arr.Move(4, 1), 1);  // 1 0 2 3 4
    EXPECT_EQ(arr.GetAt(1), &v[0]);
    EXPECT_EQ(arr.Move(0, 5), 0);
    EXPECT_EQ(arr.Find(&v[3]), 3);
    int other = 9;
    EXPECT_EQ(arr.Find(&other), -1);
    EXPECT_EQ(arr.GetAt(99), nullptr);
}

TEST(PtrArray, SortIsStableForEqualKeys) {
    struct Item { int key; int order; };
    Item items[] = {{2, 0}, {1, 1}, {2, 2}, {1, 3}, {0, 4}};
    CPtrArrayCtrl arr;
    for (auto& it : items) arr.Add(&it);
    arr.Sort([](const void* a, const void* b) {
        return static_cast<const Item*>(a)->key - static_cast<const Item*>(b)->key;
    });
    const int expected[] = {4, 1, 3, 0, 2};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(static_cast<Item*>(arr.GetAt(i))->order, expected[i]);
}

TEST(Path, FileNameOfPath) {
    EXPECT_EQ(FileNameOfPath(L"C:\\Games\\Foo\\foo.exe"), L"foo.exe");
    EXPECT_EQ(FileNameOfPath(L"foo.exe"), L"foo.exe");
    EXPECT_EQ(FileNameOfPath(L"C:\\dir\\"), L"");
    EXPECT_EQ(FileNameOfPath(L""), L"");
    EXPECT_EQ(FolderOfPath(L"C:\\a\\b.exe"), L"C:\\a\\");
    EXPECT_EQ(FolderOfPath(L"b.exe"), L"");
}

TEST(Autostart, PathIsQuotedThenAuto) {
    EXPECT_EQ(AutostartCommand(L"C:\\Program Files\\Ventaro\\Ventaro.exe"),
              L"\"C:\\Program Files\\Ventaro\\Ventaro.exe\" auto");
}

TEST(Folders, EveryLevelShortestFirst) {
    const std::vector<std::wstring> want = {L"C:\\", L"C:\\Users\\", L"C:\\Users\\me\\", L"C:\\Users\\me\\Ventaro\\"};
    EXPECT_EQ(FolderLevels(L"C:\\Users\\me\\Ventaro\\"), want);
    EXPECT_EQ(FolderLevels(L"C:\\Users\\me\\Ventaro"), want);
    EXPECT_EQ(FolderLevels(L"C:\\Users\\\\me\\Ventaro\\").size(), 4u) << "doubled separators add no level";
}

TEST(Folders, UncRootIsOneLevel) {
    const std::vector<std::wstring> want = {L"\\\\srv\\share\\", L"\\\\srv\\share\\a\\"};
    EXPECT_EQ(FolderLevels(L"\\\\srv\\share\\a\\"), want);
    EXPECT_TRUE(FolderLevels(L"\\\\srv").empty());
}
