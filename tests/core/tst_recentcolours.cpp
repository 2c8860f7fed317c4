#include "core/recentcolours.h"
#include "core/recentstore.h"
#include "qt/posixstatefolder.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <thread>

using Colours = std::vector<ColourValue>;
namespace fs = std::filesystem;

class TestRecentColours : public QObject
{
    Q_OBJECT

private slots:
    void rules();
    void store();
    void unreadableFile();
};

namespace {

std::string contents(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(file), {} };
}

void put(const fs::path &path, const std::string &text)
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
    Colours colours() { return store.colours().colours(); }

    std::string path;
    std::string file = path + "/recent";
    std::vector<std::string> warnings;
    RecentStore store;
};

} // namespace

void TestRecentColours::rules()
{
    RecentColours list;
    for (const ColourValue value : { 1, 2, 3, 2, 1 })
        list.take(value);
    QCOMPARE(list.colours(), (Colours { 1, 2, 3 }));
    for (ColourValue value = 100; value < 120; ++value)
        list.take(value);
    list.take(104); // the oldest, taken again, moves up: nothing drops out
    QCOMPARE(list.colours().size(), 16u);
    QCOMPARE(list.colours()[0], 104);
    QCOMPARE(list.colours()[1], 119);
    QCOMPARE(RecentColours(Colours { 5, 5, 6 }).colours(), (Colours { 5, 6 }));

    // Both copies keep what they took; the newer list's order wins, up to sixteen.
    const RecentColours mine(Colours { 7, 1, 2 }), theirs(Colours { 9, 2, 3 });
    QCOMPARE(RecentColours::merged(mine, theirs).colours(), (Colours { 7, 1, 2, 9, 3 }));
    QCOMPARE(RecentColours::merged(mine, list).colours().size(), 16u);

    const struct
    {
        const char *text;
        Colours colours;
        int skipped;
    } rows[] = {
        // Edited on Windows, blank lines, leading zeros, no final newline.
        { "5649426\r\n0\n\n  16777215 \n007", { 5649426, 0, 16777215, 7 }, 0 },
        { "16777216\n-1\n+5\n#123456\n1 2\n12a\n000000001\n\xff\n", {}, 8 },
        { "99999999999999999999\n8\n", { 8 }, 1 }, // no overflow into a colour
        { "\xef\xbb\xbf\x35\r\n6\r\n", { 5, 6 }, 0 }, // Notepad's UTF-8 with BOM
    };
    for (const auto &row : rows) {
        const RecentColours::Lines lines = RecentColours::readLines(row.text);
        QCOMPARE(lines.colours, row.colours);
        QCOMPARE(lines.skipped, row.skipped);
    }

    QCOMPARE(PosixStateFolder::userPath("/s", "/h"), "/s/tintenwijzer");
    for (const char *unset : { (const char *)nullptr, "", "state" })
        QCOMPARE(PosixStateFolder::userPath(unset, "/h"), "/h/.local/state/tintenwijzer");
    QCOMPARE(PosixStateFolder::userPath(nullptr, "h"), "");
}

void TestRecentColours::store()
{
    // Two copies taking eight colours each as fast as they can: all sixteen stay, every round.
    QTemporaryDir dir;
    for (int round = 0; round < 10; ++round) {
        const auto copy = [&dir, round](int first) {
            Store store(dir);
            for (int i = 0; i < 8; ++i)
                store.store.take(round * 100 + first + i);
        };
        {
            std::jthread one(copy, 0), other(copy, 10);
        }
        const auto ofRound = [round](ColourValue c) { return c / 100 == round; };
        QCOMPARE(std::ranges::count_if(Store(dir).colours(), ofRound), 16);
    }

    // Cleared in one copy, the list stays cleared when the other writes.
    Store first(dir), second(dir);
    first.store.take(1);
    second.store.clear();
    first.store.take(6);
    QCOMPARE(contents(first.file), "6\n");

    // Another copy holds the folder: eight copies take two colours each, show them and write
    // nothing; once it lets go, their next writes keep all of them.
    std::vector<std::unique_ptr<Store>> copies;
    auto held = PosixStateFolder(first.path).lock();
    for (ColourValue value = 100; value < 116; value += 2) {
        Store &copy = *copies.emplace_back(std::make_unique<Store>(dir));
        copy.store.take(value);
        copy.store.take(value + 1);
        QVERIFY(copy.store.waiting());
        QCOMPARE(copy.colours(), (Colours { value + 1, value, 6 }));
    }
    QCOMPARE(contents(first.file), "6\n");
    // One is still held out at its end: after a while it names what it could not keep.
    copies.back()->store.finish();
    QCOMPARE(copies.back()->warnings,
        std::vector<std::string> { "tintenwijzer: kan de recente "
                                   "kleuren niet bewaren in "
            + first.file
            + ": een andere Tintenwijzer houdt de map "
              "bezet; niet bewaard: 115, 114" });
    held.reset();
    for (const std::unique_ptr<Store> &copy : copies)
        copy->store.write();
    const auto taken = [](ColourValue c) { return c >= 100 && c < 114; };
    QCOMPARE(std::ranges::count_if(first.colours(), taken), 14);

    // A link the user made into a synced folder stays, and the list goes where it points;
    // what unfinished writes left there goes, and nothing else.
    const fs::path target = dir.filePath(QStringLiteral("elsewhere")).toStdString();
    put(target, "8\n");
    const fs::path leftover = dir.filePath(QStringLiteral(".elsewhere-x1Y2z3")).toStdString();
    const fs::path kept = dir.filePath(QStringLiteral(".elsewhere-mine")).toStdString();
    put(leftover, "");
    put(kept, "");
    fs::remove(first.file);
    fs::create_symlink(target, first.file);
    first.store.take(5);
    QCOMPARE(contents(target), "5\n8\n");
    QVERIFY(fs::is_symlink(first.file));
    QVERIFY(!fs::exists(leftover) && fs::exists(kept));
    QVERIFY(first.warnings.empty() && second.warnings.empty());
    fs::remove(first.file);
    put(first.file, "5\n8\n");

    // A disk that fills after a few bytes: the write stops midway, the old list stays whole.
    // A line that is no colour as well: each fault is told once, whatever their order.
    put(first.file, "5\nrood\n8\n");
    const std::string old = "5\n8\n";
    rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small { 4, limit.rlim_max };
    const auto signal = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    first.store.take(1193046);
    first.store.take(2);
    first.store.take(2);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, signal);
    QCOMPARE(contents(first.file), "5\nrood\n8\n");
    QCOMPARE(std::distance(fs::directory_iterator(first.path), {}), 1);
    QCOMPARE(first.warnings.size(), 2u); // each said once, not at every colour
    QVERIFY2(first.warnings[1].find(first.file) != std::string::npos, first.warnings[1].c_str());
    // The colour is not lost: it shows, and the next write that works keeps it.
    QCOMPARE(first.colours(), (Colours { 2, 1193046, 5, 8 }));
    first.store.take(1);
    QCOMPARE(contents(first.file), "1\n2\n1193046\n" + old);
}

void TestRecentColours::unreadableFile()
{
    QTemporaryDir dir;
    Store store(dir);
    fs::create_directories(store.file);
    store.store.take(7);
    QCOMPARE(store.colours(), Colours { 7 });
    QCOMPARE(store.warnings.size(), 1u); // read once per take and once for the menu: said once
    QVERIFY2(store.warnings[0].find("lezen") != std::string::npos, store.warnings[0].c_str());

    // Lines that are not colours are said once, and the next write keeps the good ones.
    fs::remove(store.file);
    put(store.file, "12\nrood\n34\n\xef\xbb\xbf\n");
    store.warnings.clear();
    store.store.take(56);
    QCOMPARE(contents(store.file), "56\n7\n12\n34\n");
    QCOMPARE(store.warnings.size(), 1u);
    QVERIFY2(store.warnings[0].find("2 regels") != std::string::npos, store.warnings[0].c_str());

    // Only the first 64 KiB is read, without the line that the limit cuts in two.
    put(store.file, "1\n" + std::string(StateFolder::ReadLimit - 5, '\n') + "1234567\n");
    QCOMPARE(store.colours(), Colours { 1 });
    QCOMPARE(store.warnings.size(), 1u);

    // No line end in that 64 KiB, as zeros a crash left: said, then written over.
    put(store.file, std::string(StateFolder::ReadLimit + 1, '\0'));
    QCOMPARE(store.colours(), Colours {});
    QCOMPARE(store.warnings.size(), 2u);
    store.store.take(9);
    QCOMPARE(contents(store.file), "9\n");
}

QTEST_GUILESS_MAIN(TestRecentColours)
#include "tst_recentcolours.moc"
