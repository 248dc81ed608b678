#include "platform/Prompts.h"

namespace kiramo {

QList<FileFilter> parseFilterText(const QString& text) {
    const QStringList parts = text.split(u'|');
    QList<FileFilter> filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty()) {
            continue;
        }
        filters.append(FileFilter{parts[i], parts[i + 1]});
    }
    return filters;
}

std::unique_ptr<ProgressWindow> Prompts::showProgress(const QString& text, int delayMs) {
    Q_UNUSED(text);
    Q_UNUSED(delayMs);
    return nullptr;
}

}  // namespace kiramo
