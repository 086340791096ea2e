#pragma once
// Sets environment variables for one test and puts back what was there before.
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Sets (or, for a null value, unsets) one variable of this process.
inline void SetEnvironmentVariableTo(const std::string& name, const char* value) {
#ifdef _WIN32
    // The C runtime's copy and the process's block both change; an empty value unsets.
    ::_putenv_s(name.c_str(), value ? value : "");
#else
    value ? ::setenv(name.c_str(), value, 1) : ::unsetenv(name.c_str());
#endif
}

class ScopedEnvironment {
public:
    // A null value unsets the variable.
    ScopedEnvironment& Set(const std::string& name, const char* value) {
        const char* old = std::getenv(name.c_str());
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        SetEnvironmentVariableTo(name, value);
        return *this;
    }
    ScopedEnvironment& Set(const std::string& name, const std::string& value) { return Set(name, value.c_str()); }
    ~ScopedEnvironment() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
            SetEnvironmentVariableTo(it->first, it->second ? it->second->c_str() : nullptr);
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};
