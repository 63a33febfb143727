#include "ServerCluster.h"

#include "store/Sqlite.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

namespace testing_support {

namespace {

const char* const BinDir = "/usr/lib/postgresql/15/bin";

// The owner of the cluster's files when the tests run as root.
const passwd* serviceUser() { return ::geteuid() == 0 ? ::getpwnam("postgres") : nullptr; }

} // namespace

bool onServer() { return qEnvironmentVariable("QUORVEX_TEST_SERVER") == QLatin1String("1"); }

ServerCluster& ServerCluster::instance() {
    static ServerCluster cluster;
    return cluster;
}

ServerCluster::ServerCluster() {
    sweepAbandoned();
    // Short and private: a socket path must stay under about 100 characters.
    QByteArray path = QDir::tempPath().toUtf8() + "/quorvex-pg-XXXXXX";
    if (!::mkdtemp(path.data())) throw std::runtime_error("cannot make the cluster's folder");
    dir_ = QString::fromUtf8(path);
    if (const passwd* pw = serviceUser()) {
        if (::chown(path.constData(), pw->pw_uid, pw->pw_gid) != 0)
            throw std::runtime_error("cannot give the cluster's folder to postgres");
    }
    // Who made the cluster: a later test program stops it should this one be killed.
    QFile owner(dir_ + QStringLiteral("/owner"));
    if (owner.open(QIODevice::WriteOnly)) owner.write(QByteArray::number(::getpid()));
    owner.close();
    QString out;
    if (!run(QStringLiteral("initdb"), {QStringLiteral("-D"), dir_ + QStringLiteral("/data"), QStringLiteral("-U"),
                                        QStringLiteral("postgres"), QStringLiteral("-A"), QStringLiteral("trust"),
                                        QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8"),
                                        QStringLiteral("--no-sync")},
             &out))
        throw std::runtime_error(("initdb failed: " + out).toStdString());
    // Everyone is trusted on the private socket but the clerk, who must give a password.
    QFile hba(dir_ + QStringLiteral("/data/pg_hba.conf"));
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        hba.write("local all clerk scram-sha-256\nlocal all all trust\n") < 0)
        throw std::runtime_error("cannot write pg_hba.conf");
    hba.close();
    if (!start()) throw std::runtime_error("the test cluster did not start");
    sql(QStringLiteral("CREATE ROLE clerk LOGIN PASSWORD 'secret'"));
}

ServerCluster::~ServerCluster() {
    stop();
    QDir(dir_).removeRecursively();
}

void ServerCluster::sweepAbandoned() {
    const QDir tmp(QDir::tempPath());
    for (const QString& name : tmp.entryList({QStringLiteral("quorvex-pg-*")}, QDir::Dirs)) {
        QFile owner(tmp.filePath(name + QStringLiteral("/owner")));
        if (!owner.open(QIODevice::ReadOnly)) continue;
        const pid_t pid = pid_t(owner.readAll().toLongLong());
        owner.close();
        if (pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
        dir_ = tmp.filePath(name);
        running_ = true;
        stop();
        QDir(dir_).removeRecursively();
    }
    dir_.clear();
}

bool ServerCluster::run(const QString& program, const QStringList& args, QString* output) const {
    QProcess p;
    QStringList full = args;
    QString exe = QStringLiteral("%1/%2").arg(QLatin1String(BinDir), program);
    if (serviceUser()) {
        full.prepend(exe);
        full.prepend(QStringLiteral("--"));
        full.prepend(QStringLiteral("postgres"));
        full.prepend(QStringLiteral("-u"));
        exe = QStringLiteral("runuser");
    }
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(dir_);
    p.start(exe, full);
    const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output) *output = QString::fromLocal8Bit(p.readAll());
    return ok;
}

bool ServerCluster::start() {
    running_ = run(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), dir_ + QStringLiteral("/data"), QStringLiteral("-l"),
                    dir_ + QStringLiteral("/log"), QStringLiteral("-w"), QStringLiteral("-o"),
                    QStringLiteral("-c listen_addresses='' -k %1 -c fsync=off -c max_connections=40").arg(dir_),
                    QStringLiteral("start")});
    return running_;
}

bool ServerCluster::stop() {
    if (!running_) return true;
    running_ = !run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dir_ + QStringLiteral("/data"), QStringLiteral("-m"),
                                              QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
    return !running_;
}

QString ServerCluster::location(const QString& database, const QString& user, const QString& schema) const {
    QString s = QStringLiteral("host=%1 dbname=%2 user=%3").arg(dir_, database, user);
    if (!schema.isEmpty()) s += QStringLiteral(" options='-c search_path=%1'").arg(schema);
    return s;
}

QString ServerCluster::freshDatabase(const QString& user) {
    const QString name = QStringLiteral("d%1_%2").arg(::getpid()).arg(++schemas_);
    sql(QStringLiteral("CREATE DATABASE %1 OWNER %2").arg(name, user));
    return location(name, user);
}

QString ServerCluster::freshStore() {
    const QString schema = QStringLiteral("s%1_%2").arg(::getpid()).arg(++schemas_);
    store::sql::Connection(location(QStringLiteral("postgres"))).exec(QStringLiteral("CREATE SCHEMA %1").arg(schema));
    return location(QStringLiteral("postgres"), QStringLiteral("postgres"), schema);
}

void ServerCluster::sql(const QString& script, const QString& database) const {
    store::sql::Connection(location(database)).exec(script);
}

}  // namespace testing_support
