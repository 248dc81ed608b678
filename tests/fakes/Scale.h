#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QSize>
#include <QTest>
#include <QtMath>

namespace kiramo::testing {

// The scale factor that CTest pins for this run (QT_SCALE_FACTOR; 1 when unset), times the one
// a desktop started for the test applies itself (KIRAMO_DESKTOP_SCALE, see run-desktop-test).
[[nodiscard]] inline double pinnedScale() {
    bool ok = false;
    const double scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    const int desktop = qEnvironmentVariableIntValue("KIRAMO_DESKTOP_SCALE");
    return (ok ? scale : 1.0) * (desktop > 0 ? desktop : 1);
}

// Fails the running test unless Qt really scales by the pinned factor, so that a scaled
// variant cannot pass unscaled.
inline void checkPinnedScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double ratio = screen != nullptr ? screen->devicePixelRatio() : 0.0;
    if (!qFuzzyCompare(ratio, pinnedScale())) {
        QTest::qFail(qPrintable(QStringLiteral("device pixel ratio %1, pinned scale %2")
                                    .arg(ratio)
                                    .arg(pinnedScale())),
                     __FILE__, __LINE__);
    }
}

// The logical size of a widget that shows `device` pixels one to one: whole logical pixels
// covering all of them.
[[nodiscard]] inline QSize coveringSize(QSize device, double ratio) {
    return QSize(qCeil(device.width() / ratio), qCeil(device.height() / ratio));
}

}  // namespace kiramo::testing
