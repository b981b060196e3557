#include "common/SecretRedaction.h"

#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>

namespace {

constexpr int kMinSecretLength = 4;
const QString kMask = QStringLiteral("***");

QMutex &secretsMutex()
{
    static QMutex mutex;
    return mutex;
}

QStringList &secretsStore()
{
    static QStringList secrets;
    return secrets;
}

// A header or JSON key that names a secret, then its value.
const QRegularExpression &namedSecretPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"re((\b[\w-]*(?:api[_-]?key|apikey|token|secret|password|authorization|connection[_-]?key))re"
                       R"re(["']?\s*[:=]\s*["']?(?:bearer\s+)?)[^\s"',;&}<>]+)re"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QRegularExpression &bearerPattern()
{
    static const QRegularExpression pattern(QStringLiteral(R"re(\b(bearer\s+)(?!\*\*\*)[^\s"',;&}<>]+)re"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// A text cut at a limit may end with the first characters of a secret.
void chopSecretPrefix(QString &text, const QStringList &secrets)
{
    for (const QString &secret : secrets) {
        for (qsizetype length = std::min(secret.size() - 1, text.size()); length > 0; --length) {
            if (text.endsWith(QStringView(secret).left(length))) {
                text.chop(length);
                return;
            }
        }
    }
}

// head: the first part of a longer text when cut is true.
QString quoteHead(QString head, bool cut, int limit)
{
    if (cut)
        chopSecretPrefix(head, SecretRedaction::knownSecrets());
    QString clean;
    clean.reserve(head.size());
    for (const QChar c : std::as_const(head)) {
        if (c.isSpace())
            clean.append(u' ');
        else if (c.isPrint() && c != QChar::ReplacementCharacter)
            clean.append(c);
    }
    clean = SecretRedaction::redactSecrets(clean.simplified());
    if (clean.size() > limit || cut) {
        clean.truncate(std::max(limit - 1, 0));
        clean = clean.trimmed() + QChar(0x2026);
    }
    return clean;
}

QtMessageHandler g_previousHandler = nullptr;
std::atomic_bool g_handlerInstalled{false};

void redactingHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (g_previousHandler)
        g_previousHandler(type, context, SecretRedaction::redactSecrets(message));
}

} // namespace

namespace SecretRedaction {

void setKnownSecrets(const QStringList &secrets)
{
    QStringList kept;
    for (const QString &secret : secrets) {
        const QString value = secret.trimmed();
        if (value.size() >= kMinSecretLength && !kept.contains(value))
            kept.append(value);
    }
    // Longest first, so a secret that contains another is masked whole.
    std::sort(kept.begin(), kept.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    QMutexLocker lock(&secretsMutex());
    secretsStore() = kept;
}

QStringList knownSecrets()
{
    QMutexLocker lock(&secretsMutex());
    return secretsStore();
}

QString redactSecrets(const QString &text)
{
    if (text.isEmpty())
        return text;
    QString result = text;
    for (const QString &secret : knownSecrets())
        result.replace(secret, kMask);
    result.replace(namedSecretPattern(), QStringLiteral("\\1") + kMask);
    result.replace(bearerPattern(), QStringLiteral("\\1") + kMask);
    return result;
}

QString quoteServerText(const QString &text, int limit)
{
    const int budget = std::max(limit, 1) * 4;
    return quoteHead(text.left(budget), text.size() > budget, limit);
}

QString quoteServerText(const QByteArray &body, int limit)
{
    // Four bytes per character at most; a sequence cut at the end turns into U+FFFD and is dropped.
    const qsizetype budget = qsizetype(std::max(limit, 1)) * 16;
    return quoteHead(QString::fromUtf8(body.left(budget)), body.size() > budget, limit);
}

void installRedactingMessageHandler()
{
    if (g_handlerInstalled.exchange(true))
        return;
    g_previousHandler = qInstallMessageHandler(redactingHandler);
}

} // namespace SecretRedaction
