// Sets the process's time zone (TZ) while the object lives and puts the earlier one back.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

class TimeZoneGuard {
public:
    explicit TimeZoneGuard(const char* pszZone) : m_old(Current()) { Use(pszZone); }
    ~TimeZoneGuard() { Use(m_old ? m_old->c_str() : nullptr); }
    TimeZoneGuard(const TimeZoneGuard&) = delete;
    TimeZoneGuard& operator=(const TimeZoneGuard&) = delete;

private:
    static std::optional<std::string> Current()
    {
        const char* psz = std::getenv("TZ");
        return psz ? std::optional<std::string>(psz) : std::nullopt;
    }
    // localtime_r reads TZ again only after tzset.
    static void Use(const char* pszZone)
    {
        if (pszZone)
            setenv("TZ", pszZone, 1);
        else
            unsetenv("TZ");
        tzset();
    }

    std::optional<std::string> m_old;
};
