#include "overlay/GridStyleDialog.h"

#include "core/ColourValues.h"
#include "overlay/GridDrawing.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

namespace kiramo {

namespace {

// A sample picture, a sky over dark ground, with a 1/8 grid drawn as the canvas would draw it:
// one picture pixel per device pixel of `ratio`.
QPixmap sample(const GridStyle& style, double ratio) {
    const QSize size = (QSize(240, 150) * ratio).expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        QLinearGradient sky(0, 0, 0, size.height());
        sky.setColorAt(0.0, QColor(90, 150, 220));
        sky.setColorAt(0.6, QColor(200, 225, 245));
        sky.setColorAt(0.61, QColor(70, 90, 60));
        sky.setColorAt(1.0, QColor(30, 40, 30));
        painter.fillRect(image.rect(), sky);
    }
    const TwipScale scale;
    const QRectF region(QPointF(), scale.toTwips(QSizeF(size)));
    drawGrid(image, divisionGrid(region, 8), scale, style);
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

// A small square of `colour` for the colour button.
QIcon swatchIcon(const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

}  // namespace

std::optional<GridStyle> GridStyleDialog::askGridStyle(const GridStyle& current) {
    QDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("GridStyleDialog"));
    dialog.setWindowTitle(QCoreApplication::translate("GridStyleDialog", "グリッドの表示形式"));
    GridStyle style = current;

    auto* colour = new QPushButton(&dialog);
    colour->setObjectName(QStringLiteral("colour"));
    auto* width = new QSpinBox(&dialog);
    width->setObjectName(QStringLiteral("width"));
    width->setRange(GridStyle::kMinWidth, GridStyle::kMaxWidth);
    width->setSuffix(QStringLiteral(" px"));
    auto* opacity = new QSlider(Qt::Horizontal, &dialog);
    opacity->setRange(0, 100);
    auto* opacityValue = new QSpinBox(&dialog);
    opacityValue->setObjectName(QStringLiteral("opacity"));
    opacityValue->setRange(0, 100);
    opacityValue->setSuffix(QStringLiteral(" %"));
    auto* preview = new QLabel(&dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                             QDialogButtonBox::RestoreDefaults,
                                         &dialog);

    // Every control shows `style`; a change of any of them changes it and the sample.
    bool showing = false;
    const auto show = [&] {
        showing = true;
        colour->setIcon(swatchIcon(style.colour));
        colour->setText(hexColour(style.colour.rgb()));
        width->setValue(style.width);
        opacity->setValue(style.opacity);
        opacityValue->setValue(style.opacity);
        preview->setPixmap(sample(style, dialog.devicePixelRatioF()));
        showing = false;
    };
    const auto change = [&](auto edit) {
        return [&, edit](auto value) {
            if (!showing) {
                edit(value);
                show();
            }
        };
    };
    QObject::connect(width, &QSpinBox::valueChanged, &dialog,
                     change([&](int value) { style.width = value; }));
    QObject::connect(opacity, &QSlider::valueChanged, &dialog,
                     change([&](int value) { style.opacity = value; }));
    QObject::connect(opacityValue, &QSpinBox::valueChanged, &dialog,
                     change([&](int value) { style.opacity = value; }));
    QObject::connect(colour, &QPushButton::clicked, &dialog, [&] {
        const QColor chosen = QColorDialog::getColor(
            style.colour, &dialog, QCoreApplication::translate("GridStyleDialog", "グリッドの色"));
        if (chosen.isValid()) {
            style.colour = QColor(chosen.rgb());  // opaque: the opacity is set apart
            show();
        }
    });
    QObject::connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked,
                     &dialog, [&] {
                         style = GridStyle{};
                         show();
                     });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* form = new QFormLayout(&dialog);
    form->addRow(QCoreApplication::translate("GridStyleDialog", "色:"), colour);
    form->addRow(QCoreApplication::translate("GridStyleDialog", "線の幅:"), width);
    auto* opacityRow = new QHBoxLayout;
    opacityRow->addWidget(opacity);
    opacityRow->addWidget(opacityValue);
    form->addRow(QCoreApplication::translate("GridStyleDialog", "不透明度:"), opacityRow);
    form->addRow(preview);
    form->addRow(new QLabel(
        QCoreApplication::translate("GridStyleDialog", "これから描くグリッドに使われます。"),
        &dialog));
    form->addRow(buttons);
    show();

    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return style;
}

}  // namespace kiramo
