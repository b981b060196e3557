#pragma once

#include <QString>
#include <QStringList>

// Keeps secrets (the API key, marketplace tokens, the connection key, passwords)
// out of the journal, its file and the developer log. The settings register the
// values they hold; redactSecrets() replaces each of them, and any value that
// follows a well-known secret header or key ("X-Api-Key: ...", "Bearer ...",
// "api_key": "..."), with "***".
namespace SecretRedaction {

inline constexpr int kQuoteLimit = 300;

// Replaces the set of known secret values (blank and very short ones are ignored).
void setKnownSecrets(const QStringList &secrets);
QStringList knownSecrets();

QString redactSecrets(const QString &text);

// Text received from a server, made fit to be quoted to the operator: secrets
// redacted, control characters and binary junk removed, whitespace collapsed and
// cut to at most limit characters (with "…" when cut).
QString quoteServerText(const QString &text, int limit = kQuoteLimit);
QString quoteServerText(const QByteArray &body, int limit = kQuoteLimit);

// Installs a message handler that redacts every developer log line before the
// previous handler prints it. Idempotent.
void installRedactingMessageHandler();

} // namespace SecretRedaction
