#include "frame/MessageBox.h"

#include "util/Text.h"

#include <QMutex>
#include <QMutexLocker>

#include <cstdio>

namespace vardolin::frame {

namespace {

// Button code of a plain OK box.
constexpr int kOkButton = 1;

int presentOnStandardError(const QString& title, const QString& text, int /*flags*/)
{
    const QByteArray line = (title + QStringLiteral(": ") + text + u'\n').toLocal8Bit();
    std::fputs(line.constData(), stderr);
    return kOkButton;
}

struct PresenterSlot {
    QMutex mutex;
    MessagePresenter presenter = presentOnStandardError;
};

PresenterSlot& slot()
{
    static PresenterSlot instance;
    return instance;
}

} // namespace

void setMessagePresenter(MessagePresenter presenter)
{
    QMutexLocker lock(&slot().mutex);
    slot().presenter = presenter ? std::move(presenter) : presentOnStandardError;
}

QString convertMessageText(const QString& text)
{
    const QString lines = util::replace(text, QStringLiteral("\\n "), QStringLiteral("\r\n"));
    return util::replace(lines, QStringLiteral("\\' "), QStringLiteral("\""));
}

int yInfoBox(const QString& title, const QString& text, int flags)
{
    MessagePresenter presenter;
    {
        QMutexLocker lock(&slot().mutex);
        presenter = slot().presenter;
    }
    return presenter(title, convertMessageText(text), flags);
}

} // namespace vardolin::frame
