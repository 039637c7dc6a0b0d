#pragma once
// Several statements that take effect together or not at all: everything run on the connection
// between construction and commit() stands; without commit() it is undone when the transaction
// ends. Transactions nest (each is a savepoint), so a command may run inside another.

namespace storage {

class Connection;

class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // True when the statements since construction now stand.
    bool commit();

private:
    Connection& m_connection;
    bool m_active = false;
};

} // namespace storage
