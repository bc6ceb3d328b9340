#include "model/CodeTable.h"

#include "model/Values.h"

namespace tqen::model::CodeTable {

QStringList namesIn(dao::Database &db, const QString &codeClass, Error *error) {
    auto rs = select(db, QStringLiteral("select sname from コードマスタ where kcode = ? order by code"), {codeClass});
    if (error) *error = rs.isOpen() ? Error() : dao::failure(QStringLiteral("コード表を読めません。"), db, rs);
    return textsOf(rs, QStringLiteral("sname"));
}

QStringList names(const QString &dataDbPath, const QString &codeClass, Error *error) {
    auto db = dao::Database::open(dataDbPath);
    return namesIn(db, codeClass, error);
}

Error addNameIn(dao::Database &db, const QString &codeClass, const QString &name, bool *conflict) {
    *conflict = false;
    auto rs = select(db, QStringLiteral("select * from コードマスタ where kcode = ? order by code"), {codeClass});
    if (!rs.isOpen()) return dao::failure(QStringLiteral("コード表を読めません。"), db, rs);
    // The first free slot (Null sname, lowest code), unless the name is in
    // the class already.
    for (; !rs.eof(); rs.moveNext()) {
        const QVariant sname = rs.field(QStringLiteral("sname"));
        if (!sname.isNull() && sname.toString() == name)
            return Error(Error::Code::AlreadyPresent,
                         QStringLiteral("「%1」はコード表の%2にもうあります。").arg(name, codeClass));
    }
    bool free = false;
    for (rs.moveFirst(); !rs.eof() && !free;) {
        free = rs.field(QStringLiteral("sname")).isNull();
        if (!free) rs.moveNext();
    }
    if (!free)
        return Error(Error::Code::NoFreeSlot,
                     QStringLiteral("コード表の%1に空きがないため、「%2」を追加できませんでした。").arg(codeClass, name));
    rs.edit();
    rs.setField(QStringLiteral("sname"), name);
    if (!rs.update()) {
        *conflict = rs.writeConflict();
        return dao::failure(QStringLiteral("コード表に書き込めません。"), db, rs);
    }
    return Error();
}

// On a database server several programs may add a name at the same moment.
// A slot is written only if it is still as it was read; when another program
// took it first, the slots are read again, so no slot is given twice and a
// name the other program just added is found as present.
Error addName(const QString &dataDbPath, const QString &codeClass, const QString &name) {
    Error e;
    for (int attempt = 0; attempt < 50; ++attempt) {
        auto db = dao::Database::open(dataDbPath);
        bool conflict = false;
        e = addNameIn(db, codeClass, name, &conflict);
        if (!conflict) return e;
    }
    return e;
}

}  // namespace tqen::model::CodeTable
