#pragma once
// The variants file of moravel-run --variants: one variant a line, "nazwa;projekt.kpr" (the
// project relative to the file's folder; without a name, or without the ';', the variant is
// named as the window names it).
#include <QString>

#include <vector>

namespace moravel::cli {

struct VariantLine {
    int number = 0;  // the line's number in the file, from 1
    QString name;    // never empty
    QString project;
};

// The variants of the file at `path`, from model::kMinVariants to model::kMaxVariants of
// them; the projects are not read. Throws moravel::Error naming the file (and the line).
std::vector<VariantLine> ReadVariantsFile(const QString& path);

}  // namespace moravel::cli
