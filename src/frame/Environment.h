#pragma once
// What the standard start learns from the process's surroundings. Tests hand in
// an environment they control; the program uses systemEnvironment().

#include <QString>

namespace vardolin::frame {

class Environment {
public:
    virtual ~Environment() = default;
    // Value of one environment variable; empty when unset.
    virtual QString variable(const QString& name) const = 0;
    // Full path of the running executable as the system reports it.
    virtual QString executablePath() const = 0;
    // The current working folder, without a trailing separator.
    virtual QString workingFolder() const = 0;
    virtual QString hostName() const = 0;
    // Number of running processes whose executable file name equals exeName,
    // ignoring case; with countAll false it stops at the first match.
    virtual int countInstances(const QString& exeName, bool countAll) const = 0;
};

const Environment& systemEnvironment();

// Counts processes listed in a /proc-style folder: every numeric entry whose
// "exe" link names a file called exeName (ignoring case). Entries that cannot
// be read are skipped; a missing folder gives 0.
int countInstancesIn(const QString& procFolder, const QString& exeName, bool countAll);

} // namespace vardolin::frame
