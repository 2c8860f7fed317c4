#include "qt/posixstatefolder.h"
#include "core/recentcolours.h"
#include "core/recentstore.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sys/resource.h>
#include <thread>

using Colours = std::vector<ColourValue>;

class TestRecentColours : public QObject
{
    Q_OBJECT

private slots:
    void rules();
    void lines();
    void userPath();
    void store();
    void writersAtOnce();
    void failedWriteKeepsTheOldFile();
    void unreadableFile();
};

namespace {

std::string contents(const std::filesystem::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(file), {} };
}

void put(const std::filesystem::path &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

struct Store
{
    explicit Store(const QTemporaryDir &dir)
        : path(dir.filePath(QStringLiteral("state/tintenwijzer")).toStdString())
        , store(std::make_unique<PosixStateFolder>(path),
              [this](const std::string &line) { warnings.push_back(line); })
    { }

    std::string path;
    std::vector<std::string> warnings;
    RecentStore store;
};

} // namespace

void TestRecentColours::rules()
{
    RecentColours list;
    for (const ColourValue value : { 1, 2, 3, 2 })
        list.take(value);
    QCOMPARE(list.colours(), (Colours { 2, 3, 1 }));
    list.take(1);
    QCOMPARE(list.colours(), (Colours { 1, 2, 3 }));

    Colours many(20);
    std::iota(many.begin(), many.end(), 100);
    for (const ColourValue value : many)
        list.take(value);
    QCOMPARE(list.colours().size(), RecentColours::Capacity);
    QCOMPARE(list.colours().front(), 119);
    QCOMPARE(list.colours().back(), 104);
    list.take(104); // the oldest, taken again, stays and moves up: nothing drops out
    QCOMPARE(list.colours().size(), RecentColours::Capacity);
    QCOMPARE(list.colours()[1], 119);

    const Colours repeats { 5, 5, 6 };
    QCOMPARE(RecentColours(repeats).colours(), (Colours { 5, 6 }));

    // Both copies keep what they took; the newer list's order wins.
    const Colours mine { 7, 1, 2 }, theirs { 9, 2, 3 };
    QCOMPARE(RecentColours::merged(RecentColours(mine), RecentColours(theirs)).colours(),
        (Colours { 7, 1, 2, 9, 3 }));
    const RecentColours full(Colours(many.begin(), many.begin() + 16));
    QCOMPARE(RecentColours::merged(RecentColours(mine), full).colours().size(), 16u);
    QCOMPARE(RecentColours::merged({}, full), full);
}

void TestRecentColours::lines()
{
    const struct
    {
        const char *text;
        Colours colours;
        int skipped;
    } rows[] = {
        { "5649426\n0\n16777215\n", { 5649426, 0, 16777215 }, 0 },
        { "12\r\n34\r\n", { 12, 34 }, 0 }, // edited on Windows
        { "  12 \n\n\n34", { 12, 34 }, 0 }, // blank lines and no final newline
        { "007\n", { 7 }, 0 }, // leading zeros, as long as a number fits
        { "16777216\n-1\n+5\n#123456\n1 2\n12a\n000000001\n\xff\n", {}, 8 },
        { "99999999999999999999\n8\n", { 8 }, 1 }, // no overflow into a colour
        { "3\n3\n", { 3, 3 }, 0 }, // repeats are for the list to drop
    };
    for (const auto &row : rows) {
        const RecentColours::Lines lines = RecentColours::readLines(row.text);
        QCOMPARE(lines.colours, row.colours);
        QCOMPARE(lines.skipped, row.skipped);
    }
    QCOMPARE(RecentColours::linesText(Colours { 5649426, 0 }), "5649426\n0\n");
    QVERIFY(RecentColours::linesText({}).empty());
}

void TestRecentColours::userPath()
{
    QCOMPARE(PosixStateFolder::userPath("/s", "/h"), "/s/tintenwijzer");
    QCOMPARE(PosixStateFolder::userPath(nullptr, "/h"), "/h/.local/state/tintenwijzer");
    QCOMPARE(PosixStateFolder::userPath("", "/h"), "/h/.local/state/tintenwijzer");
    QCOMPARE(PosixStateFolder::userPath("state", "/h"), "/h/.local/state/tintenwijzer");
    QCOMPARE(PosixStateFolder::userPath(nullptr, "h"), "");
}

void TestRecentColours::store()
{
    QTemporaryDir dir;
    Store first(dir), second(dir);
    QVERIFY(first.store.colours().empty());
    QVERIFY2(!std::filesystem::exists(first.path), "made before a colour was kept");

    // Two copies running at once, each taking colours in turn.
    first.store.take(1);
    second.store.take(2);
    first.store.take(3);
    second.store.take(4);
    QCOMPARE(Store(dir).store.colours().colours(), (Colours { 4, 3, 2, 1 }));
    QCOMPARE(contents(first.path + "/recent"), "4\n3\n2\n1\n");

    // A link placed where the list goes is replaced, not written through.
    const std::filesystem::path target = dir.filePath(QStringLiteral("elsewhere")).toStdString();
    put(target, "8\n");
    std::filesystem::remove(first.path + "/recent");
    std::filesystem::create_symlink(target, first.path + "/recent");
    first.store.take(5);
    QCOMPARE(contents(target), "8\n");
    QVERIFY(
        std::filesystem::is_regular_file(std::filesystem::symlink_status(first.path + "/recent")));

    // Cleared in one copy, the list stays cleared when the other writes.
    second.store.clear();
    QCOMPARE(contents(first.path + "/recent"), "");
    first.store.take(6);
    QCOMPARE(contents(first.path + "/recent"), "6\n");
    QVERIFY(first.warnings.empty() && second.warnings.empty());
}

void TestRecentColours::writersAtOnce()
{
    // Two copies taking eight colours each as fast as they can: all sixteen stay, every round.
    QTemporaryDir dir;
    for (int round = 0; round < 10; ++round) {
        std::vector<std::thread> copies;
        for (const int copy : { 0, 1 }) {
            copies.emplace_back([&dir, round, copy] {
                Store store(dir);
                for (int i = 0; i < 8; ++i)
                    store.store.take(round * 100 + copy * 10 + i);
            });
        }
        for (std::thread &copy : copies)
            copy.join();
        const Colours kept = Store(dir).store.colours().colours();
        QCOMPARE(
            std::ranges::count_if(kept, [round](ColourValue c) { return c / 100 == round; }), 16);
    }
}

void TestRecentColours::failedWriteKeepsTheOldFile()
{
    QTemporaryDir dir;
    Store store(dir);
    store.store.take(5649426);
    const std::string old = contents(store.path + "/recent");

    // A disk that fills after a few bytes: the write stops midway.
    rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small { 4, limit.rlim_max };
    const auto signal = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    store.store.take(1193046);
    store.store.take(2);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, signal);

    QCOMPARE(contents(store.path + "/recent"), old);
    QCOMPARE(std::distance(std::filesystem::directory_iterator(store.path), {}), 1);
    QCOMPARE(store.warnings.size(), 1u); // said once, not at every colour
    QVERIFY2(store.warnings[0].find(store.path + "/recent") != std::string::npos,
        store.warnings[0].c_str());
    // The colour is not lost: it shows, and the next write that works keeps it.
    QCOMPARE(store.store.colours().colours(), (Colours { 2, 1193046, 5649426 }));
    store.store.take(1);
    QCOMPARE(contents(store.path + "/recent"), "1\n2\n1193046\n5649426\n");
}

void TestRecentColours::unreadableFile()
{
    QTemporaryDir dir;
    Store store(dir);
    std::filesystem::create_directories(store.path + "/recent");
    store.store.take(7);
    QCOMPARE(store.store.colours().colours(), Colours { 7 });
    QCOMPARE(store.warnings.size(), 1u); // read once per take and once for the menu: said once
    QVERIFY2(store.warnings[0].find("lezen") != std::string::npos, store.warnings[0].c_str());
    QVERIFY(std::filesystem::is_directory(store.path + "/recent"));

    std::filesystem::remove(store.path + "/recent");
    put(store.path + "/recent", "12\nrood\n34\n\xef\xbb\xbf\n");
    store.warnings.clear();
    QCOMPARE(store.store.colours().colours(), (Colours { 7, 12, 34 }));
    QCOMPARE(store.warnings.size(), 1u);
    QVERIFY2(store.warnings[0].find("2 regels") != std::string::npos, store.warnings[0].c_str());
    store.store.take(56);
    QCOMPARE(contents(store.path + "/recent"), "56\n7\n12\n34\n");

    // Only the first 64 KiB is read, without the line that the limit cuts in two.
    put(store.path + "/recent",
        "1\n" + std::string(StateFolder::ReadLimit - 5, '\n') + "1234567\n");
    QCOMPARE(store.store.colours().colours(), Colours { 1 });
    QCOMPARE(store.warnings.size(), 1u);
}

QTEST_GUILESS_MAIN(TestRecentColours)
#include "tst_recentcolours.moc"
