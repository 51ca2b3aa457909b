#include "support/DateFormatting.h"

#include "platform/foundation/Format.h"

#include <array>
#include <chrono>
#include <cmath>
#include <ctime>
#include <utility>

namespace {

std::function<platform::Date()>& dateProvider() {
    static std::function<platform::Date()> provider;
    return provider;
}

std::tm localTime(platform::Date date) {
    const auto seconds = static_cast<std::time_t>(std::floor(date.unixTime()));
    std::tm parts{};
    localtime_r(&seconds, &parts);
    return parts;
}

constexpr std::array<const char*, 12> kMonthAbbreviations = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string dateText(const std::tm& parts, DateFormatterStyle style) {
    if (style == DateFormatterStyle::Short) {
        return platform::formatString("%d/%d/%02d", parts.tm_mon + 1, parts.tm_mday,
                                      (parts.tm_year + 1900) % 100);
    }
    return platform::formatString("%@ %d, %d", kMonthAbbreviations.at(parts.tm_mon % 12),
                                  parts.tm_mday, parts.tm_year + 1900);
}

std::string timeText(const std::tm& parts, bool withSeconds, std::string_view am,
                     std::string_view pm) {
    int hour = parts.tm_hour % 12;
    if (hour == 0) {
        hour = 12;
    }
    const std::string_view period = parts.tm_hour < 12 ? am : pm;
    if (withSeconds) {
        return platform::formatString("%d:%02d:%02d %@", hour, parts.tm_min, parts.tm_sec, period);
    }
    return platform::formatString("%d:%02d %@", hour, parts.tm_min, period);
}

} // namespace

CalendarDay localCalendarDay(platform::Date date) {
    const std::tm parts = localTime(date);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
}

CalendarDay previousCalendarDay(CalendarDay day) {
    using namespace std::chrono;
    const year_month_day ymd{year{day.year}, month{static_cast<unsigned>(day.month)},
                             std::chrono::day{static_cast<unsigned>(day.day)}};
    const year_month_day before{sys_days{ymd} - days{1}};
    return {static_cast<int>(before.year()), static_cast<int>(unsigned(before.month())),
            static_cast<int>(unsigned(before.day()))};
}

std::string stringFromDate(platform::Date date, DateFormatterStyle dateStyle,
                           DateFormatterStyle timeStyle, std::string_view amSymbol,
                           std::string_view pmSymbol) {
    const std::tm parts = localTime(date);
    std::string text;
    if (dateStyle != DateFormatterStyle::None) {
        text = dateText(parts, dateStyle);
    }
    if (timeStyle != DateFormatterStyle::None) {
        if (!text.empty()) {
            text += ", ";
        }
        text += timeText(parts, timeStyle == DateFormatterStyle::Medium, amSymbol, pmSymbol);
    }
    return text;
}

platform::Date currentDate() {
    const auto& provider = dateProvider();
    return provider ? provider() : platform::Date::now();
}

void setCurrentDateProvider(std::function<platform::Date()> provider) {
    dateProvider() = std::move(provider);
}
