// How long the start-up load and a high-score Save take on a store just under
// the 10 MiB limit (the high-score table among some 140,000 other keys)
// against a store that holds only the table. Run by bench/run.sh; not a test.
//
//   bench_large_store [runs]       measures, in this process
//   bench_large_store --write FILE writes the large store, for a run of the game
//
// Each run reads a fresh copy of the file (a new inode), as a new start of
// the game does, so no run profits from the one before.
#include "Platform.h"
#include "QuorvaneConcentrationModule.h"
#include "StartupLoad.h"
#include "frmHighScores.h"
#include "frmQuorvaneConcentration.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray tableText()
{
    QByteArray text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\" + QByteArray(kHighScoreKey) + "]\n";
    for (int i = 1; i <= 10; ++i)
        text += "\"Player" + QByteArray::number(i) + "\"=\"Keeper " + QByteArray::number(i) + "\"\n";
    for (int i = 1; i <= 10; ++i)
        text += "\"Score" + QByteArray::number(i) + "\"=dword:" + QByteArray::number(100 * i, 16).rightJustified(8, '0')
            + "\n";
    return text + '\n';
}

// The table, then other programs' keys until the file is just under 10 MiB.
QByteArray largeText(int* keys)
{
    QByteArray text = tableText();
    const qsizetype limit = 10 * 1024 * 1024 - 200 * 1024;
    *keys = 0;
    while (text.size() < limit) {
        text += "[HKEY_LOCAL_MACHINE\\Software\\Other Vendor\\Key " + QByteArray::number(*keys)
            + "]\n\"Value\"=dword:00000001\n\n";
        ++*keys;
    }
    return text;
}

// A fresh copy of the bytes at path, under a new inode.
void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path + QStringLiteral(".new"));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::abort();
    f.close();
    QFile::remove(path);
    QFile::rename(path + QStringLiteral(".new"), path);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Figures {
    std::vector<double> load, save;
};

Figures measure(const QString& path, const QByteArray& bytes, int runs)
{
    Figures f;
    for (int r = 0; r < runs; ++r) {
        put(path, bytes);
        QElapsedTimer t;
        t.start();
        LoadHighScoreTable();
        f.load.push_back(t.nsecsElapsed() / 1e6);

        frmQuorvaneConcentration->Tries = 150;  // rank 2
        frmHighScores->EndWithHighScores = true;
        frmHighScores->Load();
        frmHighScores->txtPlayer->setText(QStringLiteral("Bench"));
        t.restart();
        frmHighScores->btnSave->click();
        f.save.push_back(t.nsecsElapsed() / 1e6);
        frmHighScores->Unload();
        if (ReadRegistryValue(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, QStringLiteral("Player2")).toString()
            != QStringLiteral("Bench"))
            std::fprintf(stderr, "the Save did not store the entry\n");
    }
    return f;
}

}  // namespace

int main(int argc, char** argv)
{
    int keys = 0;
    const QByteArray large = largeText(&keys);
    if (argc == 3 && qstrcmp(argv[1], "--write") == 0) {
        QFile f(QFile::decodeName(argv[2]));
        return f.open(QIODevice::WriteOnly) && f.write(large) == large.size() ? 0 : 1;
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vb::InitPlatform();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    qputenv("QUORVANE_REGISTRY", QFile::encodeName(path));

    const Figures small = measure(path, tableText(), runs);
    const Figures big = measure(path, large, runs);
    std::printf("In the process, medians of %d runs: a store of the table alone, and one of %.1f MiB with %d other keys\n\n",
                runs, large.size() / 1048576.0, keys);
    std::printf("| %-44s | %12s | %9s | %-20s | %-6s |\n", "figure", "large store", "table only", "goal", "result");
    std::printf("|----------------------------------------------|--------------|-----------|----------------------|--------|\n");
    const double load = median(big.load), loadSmall = median(small.load);
    const double save = median(big.save), saveSmall = median(small.save);
    std::printf("| %-44s | %12.1f | %9.1f | %-20s | %-6s |\n", "start-up load of the table (ms)", load, loadSmall,
                "<= table only + 1 s", load - loadSmall <= 1000 ? "met" : "MISSED");
    std::printf("| %-44s | %12.1f | %9.1f | %-20s | %-6s |\n", "high-score Save, lock to file in place (ms)", save,
                saveSmall, "< 2 s", save < 2000 ? "met" : "MISSED");
    return 0;
}
