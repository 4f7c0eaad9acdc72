#include "meter/meter_levels.h"

#include <QRegularExpression>

namespace vu {

namespace {

// The locale's long time format names the time zone; an entry has no room
// for it.
QString longTimeWithoutZone(const QTime& time, const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    format.replace(zone, QStringLiteral(" "));
    return locale.toString(time, format.trimmed());
}

}  // namespace

QString overPeakEntry(QChar side, int level, const QDateTime& at, const QLocale& locale) {
    const QString entry = QString(side) + QLatin1Char(' ') + QString::number(level) + QStringLiteral(" at ") +
                          locale.toString(at.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                          longTimeWithoutZone(at.time(), locale);
    return entry.left(kEntryLength);
}

QString clockTitle(const QString& channel, const QDateTime& now, const QLocale& locale) {
    return channel + QStringLiteral("  ") + locale.toString(now.date(), QLocale::LongFormat) + QStringLiteral("  ") +
           now.time().toString(QStringLiteral("hh:mm:ss"));
}

}  // namespace vu
