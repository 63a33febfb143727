#pragma once

#include <QMap>
#include <QString>

namespace store {

// Database aliases: names that stand for a data folder. Aliases saved in the
// user's configuration file win; the running program may add its own for the
// session only, which are never written back.
class AliasRegistry {
public:
    // `configFile`: the ini file holding saved aliases in its [Aliases] group.
    explicit AliasRegistry(QString configFile = defaultConfigFile());

    static QString defaultConfigFile();

    bool isKnown(const QString& name) const;
    // The folder an alias names (empty when unknown).
    QString path(const QString& name) const;
    void addSessionAlias(const QString& name, const QString& folder);
    // Saves an alias into the configuration file (used by installations and tests).
    void saveAlias(const QString& name, const QString& folder);

private:
    QString configFile_;
    QMap<QString, QString> session_;
};

}  // namespace store
