#include "Alias.h"

#include <QSettings>

namespace store {

AliasRegistry::AliasRegistry(QString configFile) : configFile_(std::move(configFile)) {}

QString AliasRegistry::defaultConfigFile() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quorvex"),
                     QStringLiteral("aliases"))
        .fileName();
}

QString AliasRegistry::path(const QString& name) const {
    const QString key = name.toLower();
    QSettings settings(configFile_, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Aliases"));
    for (const QString& k : settings.childKeys())
        if (k.toLower() == key) return settings.value(k).toString();
    settings.endGroup();
    for (auto it = session_.begin(); it != session_.end(); ++it)
        if (it.key().toLower() == key) return it.value();
    return {};
}

bool AliasRegistry::isKnown(const QString& name) const { return !path(name).isEmpty(); }

void AliasRegistry::addSessionAlias(const QString& name, const QString& folder) { session_[name] = folder; }

void AliasRegistry::saveAlias(const QString& name, const QString& folder) {
    QSettings settings(configFile_, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Aliases"));
    settings.setValue(name, folder);
    settings.sync();
}

}  // namespace store
