#include "production/ShellLabelPrint.h"

#include "common/LogCategories.h"
#include "platform/NativeStringQt.h"
#include "platform/PrinterInfo.h"
#include "platform/ShellPrint.h"

#include <QDir>
#include <QStringList>

namespace {

QString quoted(QString value)
{
    value.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + value + QLatin1Char('"');
}

QString fromNative(const platform::NativeString &text)
{
#ifdef _WIN32
    return QString::fromStdWString(text);
#else
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
#endif
}

} // namespace

QString printToParameters(const QString &printerName, const QString &driverName,
                          const QString &portName)
{
    QStringList parts { quoted(printerName) };
    if (!driverName.isEmpty())
        parts << quoted(driverName);
    if (!portName.isEmpty())
        parts << quoted(portName);
    return parts.join(QLatin1Char(' '));
}

bool printThroughShell(const QString &path, const QString &printerName, QString *errorText)
{
    const QString printer = printerName.trimmed();
    QString parameters;
    if (!printer.isEmpty()) {
        platform::PrinterDriverInfo info;
        platform::queryPrinterDriver(platform::toNativeText(printer), &info);
        parameters = printToParameters(printer, fromNative(info.driverName),
                                       fromNative(info.portName));
    }

    const platform::ShellPrintOutcome outcome =
        platform::shellPrintFile(platform::toNativePath(path), platform::toNativeText(printer),
                                 platform::toNativeText(parameters));
    QString error;
    switch (outcome.kind) {
    case platform::ShellPrintOutcome::Kind::Ok:
        qCInfo(lcProduction) << "shell print sent" << path << "to" << printer;
        return true;
    case platform::ShellPrintOutcome::Kind::VerbFailed:
        if (!printer.isEmpty())
            error = QStringLiteral("не удалось автоматически отправить файл на выбранный принтер: %1; "
                                   "ShellExecute printto=%2")
                        .arg(printer)
                        .arg(outcome.code);
        else
            error = QStringLiteral("ShellExecute print failed: %1").arg(outcome.code);
        break;
    case platform::ShellPrintOutcome::Kind::ToolMissing:
        error = QStringLiteral("не найдена команда lp (CUPS): файл этого типа нельзя отправить "
                               "на печать");
        break;
    case platform::ShellPrintOutcome::Kind::ToolFailed: {
        const QString detail = QString::fromUtf8(outcome.detail.c_str()).trimmed();
        const QString target = printer.isEmpty() ? QStringLiteral("по умолчанию") : printer;
        if (outcome.code < 0)
            error = QStringLiteral("lp не ответил вовремя, принтер %1").arg(target);
        else
            error = QStringLiteral("lp не отправил файл на принтер %1: %2")
                        .arg(target, detail.isEmpty() ? QStringLiteral("код %1").arg(outcome.code)
                                                      : detail);
        break;
    }
    }
    qCWarning(lcProduction) << "shell print failed" << path << error;
    if (errorText)
        *errorText = error;
    return false;
}
