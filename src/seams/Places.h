#pragma once

#include <QString>

// Where the editor keeps its files: the user's Documents folder. Tests point
// it at a temporary folder.
class Places {
public:
    virtual ~Places() = default;
    virtual QString documentsFolder() const = 0;
};

class StandardPlaces final : public Places {
public:
    QString documentsFolder() const override;
};

// A fixed folder (tests, and a documents folder given on the command line).
class FixedPlaces final : public Places {
public:
    explicit FixedPlaces(QString folder) : folder_(std::move(folder)) {}
    QString documentsFolder() const override { return folder_; }

private:
    QString folder_;
};
