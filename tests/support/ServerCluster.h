#pragma once

#include <QString>

namespace testing_support {

// A throwaway PostgreSQL cluster: made with initdb in a temporary folder,
// listening only on a private Unix socket there, started on first use and
// stopped when the test program ends. Runs as the `postgres` user when the
// tests run as root, as PostgreSQL refuses to run as root.
class ServerCluster {
public:
    static ServerCluster& instance();
    ~ServerCluster();
    // A connection string for a new, empty schema of its own on the cluster.
    QString freshStore();
    // A connection string for a new, empty database owned by `user`. The
    // cluster also knows the user "clerk", whose password is "secret" and who
    // must give it.
    QString freshDatabase(const QString& user = QStringLiteral("postgres"));
    // A connection string for `database` (which need not exist) as `user`.
    QString location(const QString& database, const QString& user = QStringLiteral("postgres"),
                     const QString& schema = QString()) const;
    // Runs SQL as the cluster's owner; throws StoreError on failure.
    void sql(const QString& script, const QString& database = QStringLiteral("postgres")) const;
    bool stop();
    bool start();
    QString socketDir() const { return dir_; }

private:
    ServerCluster();
    // Stops and removes the clusters of test programs that were killed.
    void sweepAbandoned();
    bool run(const QString& program, const QStringList& args, QString* output = nullptr) const;

    QString dir_;
    bool running_ = false;
    int schemas_ = 0;
};

// Whether this run of the store's tests is against a server (QUORVEX_TEST_SERVER=1).
bool onServer();

}  // namespace testing_support
