#include "dialogs/settings_store.h"

#include <QSettings>
#include <QVariant>

std::uint32_t BlackColor = DefaultBlackColor;
std::uint32_t SelColor = DefaultSelColor;
std::uint32_t IndicateComment = DefaultIndicateComment;
std::uint32_t StandardBoard = DefaultStandardBoard;

namespace {

// The store is opened anew for every value, as the registry key was.
QSettings OpenStore() {
    return QSettings(QStringLiteral("quorvex"), QStringLiteral("Pawnlet"));
}

// A stored value as the 32 bits it holds: a number of any width keeps its low 32 bits, raw bytes
// (up to four, little-endian) are copied as they are; anything else is unreadable.
std::optional<std::uint32_t> ValueBits(const QVariant& value) {
    if (!value.isValid()) {
        return std::nullopt;
    }
    if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        if (bytes.isEmpty() || bytes.size() > 4) {
            return std::nullopt;
        }
        std::uint32_t bits = 0;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            bits |= std::uint32_t(std::uint8_t(bytes[i])) << (8 * i);
        }
        return bits;
    }
    bool ok = false;
    const qulonglong unsignedValue = value.toULongLong(&ok);
    if (ok) {
        return std::uint32_t(unsignedValue);
    }
    const qlonglong signedValue = value.toLongLong(&ok);
    if (ok) {
        return std::uint32_t(signedValue);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::uint32_t> ReadSettingDword(const char* name) {
    QSettings store = OpenStore();
    if (store.status() != QSettings::NoError) {
        return std::nullopt;
    }
    return ValueBits(store.value(QString::fromLatin1(name)));
}

bool WriteSettingDword(const char* name, std::uint32_t value) {
    QSettings store = OpenStore();
    if (store.status() != QSettings::NoError || !store.isWritable()) {
        return false;
    }
    store.setValue(QString::fromLatin1(name), QVariant::fromValue<quint32>(value));
    store.sync();
    return store.status() == QSettings::NoError;
}

int LoadSettings() {
    BlackColor = ReadSettingDword("BlackColor").value_or(DefaultBlackColor);
    SelColor = ReadSettingDword("SelColor").value_or(DefaultSelColor);
    IndicateComment = ReadSettingDword("Indicate comment").value_or(DefaultIndicateComment);
    StandardBoard = ReadSettingDword("Standard layout").value_or(DefaultStandardBoard);
    return 1;
}

bool SaveSettings() {
    (void)WriteSettingDword("BlackColor", BlackColor);
    (void)WriteSettingDword("SelColor", SelColor);
    (void)WriteSettingDword("Indicate comment", IndicateComment);
    return WriteSettingDword("Standard layout", StandardBoard);
}
