#pragma once

#include <QString>

class DataSet;

// Several records stored by one command in one transaction: while a batch is open on a data
// set's connection, each Post of any data set on it writes inside the batch (a failing record
// is taken back alone), and the records reach the file together when the batch ends. A batch
// that ends by an exception keeps the records stored before it, as single stores would have.
class WriteBatch final
{
public:
    explicit WriteBatch(DataSet& dataSet);
    ~WriteBatch();
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;

    // Whether a batch is open on the database connection of that name.
    static bool active(const QString& connectionName);

private:
    QString m_connectionName;
};
