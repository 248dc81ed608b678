// Files: load and save of an 8000 x 6000 24-bit bitmap through the program's own routines,
// each beside reading or writing the same bytes the same way (whole file, same durability) in
// the same run; and the peak memory of a load, measured in a child process, against the size
// of the decoded picture.
#include "BenchSupport.h"
#include "canvas/Surface.h"
#include "files/ImageFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace kiramo;

namespace {

constexpr int kWidth = 8000;
constexpr int kHeight = 6000;

// The process's peak resident memory so far. (getrusage would carry the parent's peak over
// the exec that started this child.)
long peakKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return 0;
}

// The child: loads the file once and prints how much its peak memory grew.
int measureLoad(const QString& path) {
    QtServices real;
    std::unique_ptr<Form1> form = bench::startMainWindow(real);
    if (!form) {
        return 1;
    }
    const long before = peakKilobytes();
    LoadCanvasImage(form->workspace(), path);
    const long after = peakKilobytes();
    std::printf("%ld\n", after - before);
    return form->workspace().P1->imageSize() == QSize(kWidth, kHeight) ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "load") == 0) {
        return measureLoad(QString::fromLocal8Bit(argv[2]));
    }
    QtServices real;
    std::unique_ptr<Form1> form = bench::startMainWindow(real);
    if (!form) {
        return 1;
    }
    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("canvas.bmp"));
    const QString raw = folder.filePath(QStringLiteral("raw.bin"));
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            line[x] = qRgb(x & 255, y & 255, (x ^ y) & 255);
        }
    }
    form->workspace().P1->setImage(picture);
    form->workspace().CommitCanvas();

    constexpr int kRounds = 5;
    using bench::medianMs;
    const double save = medianMs(kRounds, [&] {
        QFile::remove(saved);
        SaveImageFile(form->workspace(), saved);
    });
    QFile savedFile(saved);
    if (!savedFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "files: the save did not write %s\n", qPrintable(saved));
        return 1;
    }
    const QByteArray bytes = savedFile.readAll();
    savedFile.close();
    const double rawWrite = medianMs(kRounds, [&] {
        QSaveFile file(raw);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(bytes);
            file.commit();
        }
    });
    const double load = medianMs(kRounds, [&] { LoadCanvasImage(form->workspace(), saved); });
    const double rawRead = medianMs(kRounds, [&] {
        QFile file(raw);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray all = file.readAll();
            Q_UNUSED(all);
        }
    });

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("load"), saved});
    child.waitForFinished(120000);
    if (child.exitCode() != 0) {
        std::fprintf(stderr, "files: the load child failed: %s\n",
                     child.readAllStandardError().constData());
    }
    const double grownMb = child.readAllStandardOutput().trimmed().toDouble() / 1024.0;
    const double decodedMb = kWidth * kHeight * 4.0 / (1024.0 * 1024.0);

    std::printf("files %dx%d 24-bit bitmap (%.0f MB):\n", kWidth, kHeight,
                bytes.size() / (1024.0 * 1024.0));
    std::printf("files: save %.1f ms, raw write %.1f ms, ratio %.2fx (target <= 1.5x) %s\n", save,
                rawWrite, save / rawWrite, save <= 1.5 * rawWrite ? "ok" : "OVER TARGET");
    std::printf("files: load %.1f ms, raw read %.1f ms, ratio %.2fx (target <= 3x) %s\n", load,
                rawRead, load / rawRead, load <= 3 * rawRead ? "ok" : "OVER TARGET");
    std::printf("files: peak memory of a load +%.0f MB = %.2fx the decoded %.0f MB "
                "(target <= 2.5x) %s\n",
                grownMb, grownMb / decodedMb, decodedMb,
                grownMb <= 2.5 * decodedMb ? "ok" : "OVER TARGET");
    return 0;
}
