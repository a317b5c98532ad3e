#pragma once

// de_DE.UTF-8, whose decimal mark is a comma, for the tests that numbers keep their
// decimal point: the system's own where it has one, else one built by localedef into a
// folder of this process, which glibc finds through LOCPATH.

#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

class GermanLocale {
public:
    static constexpr const char* kName = "de_DE.UTF-8";

    // Built at most once a process; the folder goes when the process ends.
    static const GermanLocale& Get() {
        static const GermanLocale locale;
        return locale;
    }

    bool Available() const { return m_reason.empty(); }
    // Why the locale can't be had; empty when it can.
    const std::string& Reason() const { return m_reason; }
    // The LOCPATH that finds it; empty when the system has it.
    const std::string& LocPath() const { return m_locPath; }
    // The variables a child process needs to run in it.
    std::vector<std::pair<std::string, std::string>> Environment() const {
        std::vector<std::pair<std::string, std::string>> variables = {{"LC_ALL", kName}};
        if (!m_locPath.empty()) {
            variables.emplace_back("LOCPATH", m_locPath);
        }
        return variables;
    }

    ~GermanLocale() {
        if (!m_folder.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_folder, ignored);
        }
    }
    GermanLocale(const GermanLocale&) = delete;
    GermanLocale& operator=(const GermanLocale&) = delete;

private:
    GermanLocale() {
        if (WritesComma()) {
            return;
        }
        std::string folder = (std::filesystem::temp_directory_path() / "wt-locale-XXXXXX").string();
        if (mkdtemp(folder.data()) == nullptr) {
            m_reason = "no temporary folder to build the locale in";
            return;
        }
        m_folder = folder;
        // localedef says 1 for warnings about a locale it wrote all the same: whether the
        // locale loads is what counts.
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + folder + "/" + kName + "' >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        const char* before = std::getenv("LOCPATH");
        const std::string saved = before != nullptr ? before : "";
        setenv("LOCPATH", folder.c_str(), 1);
        if (status != -1 && WritesComma()) {
            m_locPath = folder;
        } else {
            m_reason = std::string("the system has no ") + kName +
                       " and localedef could not build one (Debian's package 'locales' has "
                       "the sources it needs)";
        }
        if (before != nullptr) {
            setenv("LOCPATH", saved.c_str(), 1);
        } else {
            unsetenv("LOCPATH");
        }
    }

    static bool WritesComma() {
        const locale_t german = newlocale(LC_ALL_MASK, kName, static_cast<locale_t>(nullptr));
        if (german == static_cast<locale_t>(nullptr)) {
            return false;
        }
        const bool comma = std::strcmp(nl_langinfo_l(RADIXCHAR, german), ",") == 0;
        freelocale(german);
        return comma;
    }

    std::string m_folder;
    std::string m_locPath;
    std::string m_reason;
};
