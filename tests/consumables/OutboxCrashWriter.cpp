// Helper of the outbox durability test: enqueues rows in a loop and prints the
// number of each row right after enqueue() has returned true. The test kills
// it with SIGKILL at random moments.
#include "consumables/OutboxBuffer.h"

#include <QCoreApplication>
#include <QJsonObject>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int run = QByteArray(argv[2]).toInt();
    OutboxBuffer outbox(path);
    for (int n = 0;; ++n) {
        if (!outbox.enqueue(QStringLiteral("ink_receive"), {{"run", run}, {"n", n}}))
            return 1;
        const QByteArray line = QByteArray::number(n) + '\n';
        if (::write(STDOUT_FILENO, line.constData(), size_t(line.size())) < 0)
            return 1;
    }
}
