#pragma once

#include "platform/ProgramStarter.h"

#include <QList>

namespace kiramo::testing {

// Records every program start and URL instead of starting anything.
class FakeProgramStarter final : public ProgramStarter {
public:
    struct Start {
        QString program;
        QStringList arguments;
    };
    QList<Start> starts;
    QList<QUrl> urls;
    bool succeeds = true;

    bool startDetached(const QString& program, const QStringList& arguments) override {
        starts.append(Start{program, arguments});
        return succeeds;
    }
    bool openUrl(const QUrl& url) override {
        urls.append(url);
        return succeeds;
    }
};

}  // namespace kiramo::testing
