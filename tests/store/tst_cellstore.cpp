// The cell database's file rules: what opens (a new file, an older schema upgraded with its
// cells kept) and what is refused and left as it was (a newer schema, no database, a folder);
// a duplicate ID is refused in a session and a session's cells go with it.
#include "CellStore.h"
#include "FileBytes.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Makes a file as the first release of the schema wrote it, with one session and one cell.
void writeVersion1(const QString& path)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "v1");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        for (const char* sql :
             {"CREATE TABLE sessions (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, created "
              "TEXT NOT NULL, id_prefix TEXT NOT NULL DEFAULT 'A', next_number INTEGER NOT NULL "
              "DEFAULT 1, settle_s REAL NOT NULL DEFAULT 0.8, voltage_min REAL, voltage_max REAL, "
              "resistance_max REAL)",
              "CREATE TABLE cells (id INTEGER PRIMARY KEY, session_id INTEGER NOT NULL REFERENCES "
              "sessions(id) ON DELETE CASCADE, cell_id TEXT NOT NULL, taken TEXT NOT NULL, "
              "voltage_v REAL, resistance_ohm REAL, temperature_c REAL, verdict TEXT NOT NULL, "
              "reason TEXT NOT NULL DEFAULT '', UNIQUE (session_id, cell_id))",
              "INSERT INTO sessions VALUES (1, 'tray 7', '2026-12-08T10:00:00+01:00', 'B', 2, "
              "1.0, 3.6, 4.2, 0.06)",
              "INSERT INTO cells VALUES (1, 1, 'B0001', '2026-12-08T10:15:01+01:00', 3.912, "
              "0.0612, 25.1, 'FAIL', 'R 61.2 mOhm > 60.0 mOhm')",
              "PRAGMA user_version=1"})
            QVERIFY2(q.exec(QString::fromLatin1(sql)), sql);
    }
    QSqlDatabase::removeDatabase("v1");
}

void setVersion(const QString& path, int version)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "bump");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version=%1").arg(version)));
    }
    QSqlDatabase::removeDatabase("bump");
}

} // namespace

class TestCellStore : public QObject
{
    Q_OBJECT
private slots:
    void openings_data();
    void openings();
    void cellsOfASession();
};

void TestCellStore::openings_data()
{
    QTest::addColumn<QString>("file");  // what lies at the path before it is opened
    QTest::addColumn<QString>("error"); // a part of the error; empty when it opens
    QTest::newRow("nothing: a new file") << "none"
                                         << "";
    QTest::newRow("schema 1: upgraded, its cells kept") << "v1"
                                                        << "";
    QTest::newRow("schema 2 again") << "v2"
                                    << "";
    QTest::newRow("a newer schema") << "v99"
                                    << "written by a newer CellDesk (schema 99";
    QTest::newRow("not a database") << "text"
                                    << "is not a cell database";
    QTest::newRow("a folder") << "folder"
                              << "is not a regular file";
}

void TestCellStore::openings()
{
    QFETCH(QString, file);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/cells.sqlite");
    QDir().mkpath(dir.filePath("sub"));
    if (file == u"v1" || file == u"v99") {
        writeVersion1(path);
        if (file == u"v99")
            setVersion(path, 99);
    } else if (file == u"v2") {
        CellStore first;
        QVERIFY(first.open(path));
    } else if (file == u"text") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    } else if (file == u"folder") {
        QDir().mkpath(path);
    }
    const QByteArray before = fileBytes(path);

    CellStore store;
    const bool opened = store.open(path);
    QCOMPARE(store.error().contains(error) && opened == error.isEmpty(), true);
    if (!opened) {
        QCOMPARE(fileBytes(path), before); // refused files stay as they were
        return;
    }
    QCOMPARE(store.schemaVersion(), CellStore::SchemaVersion);
    const auto sessions = store.sessions();
    QVERIFY(sessions);
    if (file != u"v1") {
        QVERIFY(sessions->isEmpty());
        return;
    }
    QCOMPARE(sessions->size(), 1);
    const GradeSession& s = sessions->first();
    QCOMPARE(s.name, QStringLiteral("tray 7"));
    QCOMPARE(s.nextNumber, 2);
    QCOMPARE(s.limits.resistanceMax, std::optional(0.06));
    QCOMPARE(s.limits.resistanceWarn, std::nullopt);
    QCOMPARE(s.cellCount, 1);
    const auto cells = store.cells(s.key);
    QVERIFY(cells && cells->size() == 1);
    QCOMPARE(cells->first().id, QStringLiteral("B0001"));
    QCOMPARE(cells->first().grade.verdict, Verdict::Fail);
    QCOMPARE(cells->first().capacity, std::nullopt);
    QCOMPARE(cells->first().taken.offsetFromUtc(), 3600);
    // The new columns take values.
    GradedCell c = cells->first();
    c.capacity = 2.5;
    QVERIFY(store.updateCell(c));
    QCOMPARE(store.cells(s.key)->first().capacity, std::optional(2.5));
}

void TestCellStore::cellsOfASession()
{
    QTemporaryDir dir;
    CellStore store;
    QVERIFY(store.open(dir.filePath("cells.sqlite")));
    GradeSession s;
    s.name = "tray";
    s.created = QDateTime::currentDateTime();
    QVERIFY2(store.createSession(s), qPrintable(store.error()));
    GradeSession again = s;
    QVERIFY(!store.createSession(again));
    QCOMPARE(store.error(), QStringLiteral("a session named tray exists already"));

    GradedCell cell;
    cell.id = "A0001";
    cell.taken = QDateTime::currentDateTime();
    QVERIFY2(store.addCell(s.key, cell, 2), qPrintable(store.error()));
    GradedCell twin = cell;
    QVERIFY(!store.addCell(s.key, twin, 3));
    QCOMPARE(store.error(), QStringLiteral("Cell A0001 is in this session already."));
    QCOMPARE(store.session(s.key)->nextNumber, 2); // the refused cell changed nothing

    QVERIFY(store.deleteSession(s.key));
    QVERIFY(store.cells(s.key)->isEmpty());
}

QTEST_GUILESS_MAIN(TestCellStore)
#include "tst_cellstore.moc"
