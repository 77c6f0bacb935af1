#include "batch/CopiesOfListed.h"

#include "batch/Conversion.h"
#include "batch/FileIdentity.h"

#include <unordered_set>
#include <vector>

namespace vardolin::batch {

QString copyFileOf(const QString& source, const TargetChoice& choice)
{
    return fileToWrite(zielName(source, choice).name, source, choice.copyFormat);
}

QStringList withoutCopiesOfListed(const QStringList& listed, const TargetChoice& choice)
{
    FileIdentities identities;
    std::vector<FileIdentities::Identity> own;
    own.reserve(std::size_t(listed.size()));
    for (const QString& file : listed)
        own.push_back(identities.of(file));
    std::unordered_set<FileIdentities::Identity> copiesOfOthers;
    copiesOfOthers.reserve(std::size_t(listed.size()));
    for (qsizetype i = 0; i < listed.size(); ++i) {
        FileIdentities::Identity copy = identities.of(copyFileOf(listed[i], choice));
        if (copy != own[std::size_t(i)])
            copiesOfOthers.insert(std::move(copy));
    }
    QStringList sources;
    sources.reserve(listed.size());
    for (qsizetype i = 0; i < listed.size(); ++i) {
        if (!copiesOfOthers.contains(own[std::size_t(i)]))
            sources.append(listed[i]);
    }
    return sources;
}

} // namespace vardolin::batch
