// Consistency of the shipped catalogue, checked on a freshly created data
// folder: every choice the design screen can offer must lead to the rows the
// calculation, the analyses and the reports look up, and every picture the
// program loads must be there.
#include "data/DataFolder.h"
#include "store/Database.h"
#include "store/Query.h"
#include "store/Table.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QSet>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

using Row = QVariantMap;

const QString kShippedData = QStringLiteral(QUORVEX_SHIPPED_DATA);
const QString kShippedImages = QStringLiteral(QUORVEX_SHIPPED_IMAGES);

const QStringList kSlots = {"Head", "Sill", "Jamb", "Vert", "Horiz"};

class Catalogue : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        work = new QTemporaryDir;
        const QString dataDir = QDir(work->path()).filePath("Data");
        data::createDataFolder(dataDir, kShippedData);
        db = store::Database::open(data::databaseFile(dataDir)).release();
    }
    static void TearDownTestSuite() {
        delete db;
        delete work;
    }

    // Every row of a table, walked in the store's order.
    static std::vector<Row> rows(const QString& table) {
        store::Table t(db, table);
        t.open();
        std::vector<Row> out;
        for (t.first(); !t.eof(); t.next()) {
            Row r;
            for (int i = 0; i < t.fieldCount(); ++i) r.insert(t.def().fields[size_t(i)].name, t.field(i).value());
            out.push_back(r);
        }
        return out;
    }
    static std::vector<Row> select(const QString& statement, const QVariantList& params) {
        store::Query q(db, statement);
        q.setSql(statement, params);
        q.open();
        std::vector<Row> out;
        for (q.first(); !q.eof(); q.next()) {
            Row r;
            for (int i = 0; i < q.fieldCount(); ++i) r.insert(q.def().fields[size_t(i)].name, q.field(i).value());
            out.push_back(r);
        }
        return out;
    }
    static std::vector<Row> where(const std::vector<Row>& all, const QString& field, const QVariant& value) {
        std::vector<Row> out;
        for (const Row& r : all)
            if (r.value(field) == value) out.push_back(r);
        return out;
    }
    // The profile choices of slot 1..5 as a design stores them: an inactive
    // profile with a leading space.
    static QStringList choices(const QString& system, int slot) {
        const Row types = where(rows("SystemProfileType"), "System_Name", system).at(0);
        const QString type = types.value(QStringLiteral("Profile%1").arg(slot)).toString();
        QStringList out;
        for (const Row& p : rows("SystemProfile"))
            if (p["System_Name"] == system && p["Profile_Type"] == type)
                out << (p["Active"].toBool() ? "" : " ") + p["Profile_Desc"].toString();
        return out;
    }
    static bool sashSystem(const QString& system) {
        const auto t = where(rows("SystemProfileType"), "System_Name", system);
        return !t.empty() && t.front()["Profile5"].toString() == "Sash";
    }

    static QTemporaryDir* work;
    static store::Database* db;
};

QTemporaryDir* Catalogue::work = nullptr;
store::Database* Catalogue::db = nullptr;

TEST_F(Catalogue, ShippedFilesFollowTheSchemaAndFitTheirFields) {
    for (const store::TableDef& def : store::schema::tables()) {
        QFile f(QDir(kShippedData).filePath(def.name + ".csv"));
        if (!f.exists()) continue;
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << def.name.toStdString();
        const std::vector<QStringList> lines = data::parseCsv(QString::fromUtf8(f.readAll()));
        ASSERT_FALSE(lines.empty()) << def.name.toStdString();
        QStringList names;
        for (const store::FieldDef& fd : def.fields) names << fd.name;
        EXPECT_EQ(lines.front(), names) << def.name.toStdString() << ": header is not the field list in order";
        // The store cuts over-long text silently; nothing shipped may be cut.
        for (size_t l = 1; l < lines.size(); ++l)
            for (size_t c = 0; c < def.fields.size() && c < size_t(lines[l].size()); ++c) {
                const store::FieldDef& fd = def.fields[c];
                if (fd.type == store::FieldType::Text) {
                    EXPECT_LE(lines[l][int(c)].size(), fd.width)
                        << def.name.toStdString() << " line " << l + 1 << " " << fd.name.toStdString();
                }
            }
        EXPECT_EQ(int(rows(def.name).size()), int(lines.size()) - 1) << def.name.toStdString();
    }
}

TEST_F(Catalogue, SystemsAreCompleteAndShowEveryKindOfEntry) {
    const auto types = rows("SystemType"), systems = rows("System"), sashes = rows("SystemSash");
    const QStringList menuWords = {"None", "Fixed", "Top", "Bottom", "SideL", "SideR", "SlidL", "SlidR",
                                   "SlidU", "SlidD", "SlidFL", "SlidFR", "TiltTurnL", "TiltTurnR",
                                   "TiltSlidL", "TiltSlidR"};
    QSet<QString> continuous;
    int inactiveTypes = 0, inactiveSystems = 0, sashSystems = 0;
    for (const Row& t : types) inactiveTypes += !t["Type_Active"].toBool();
    EXPECT_GE(types.size(), 4u);
    EXPECT_GE(systems.size(), 6u);
    for (const Row& s : systems) {
        const QString name = s["System_Name"].toString();
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(where(types, "System_Type", s["System_Type"]).size(), 1u);
        continuous << s["Continuous"].toString();
        inactiveSystems += !s["System_Active"].toBool();
        sashSystems += sashSystem(name);
        // The standard-design query matches "_" + name + "%"; a name that
        // starts another would pull in the other system's designs.
        for (const Row& other : systems)
            if (other["System_Name"] != s["System_Name"]) {
                EXPECT_FALSE(other["System_Name"].toString().startsWith(name));
            }
        const auto own = where(sashes, "System_Name", name);
        ASSERT_FALSE(own.empty());
        bool fixed = false;
        for (const Row& r : own) {
            EXPECT_TRUE(menuWords.contains(r["Sash_Type"].toString())) << r["Sash_Type"].toString().toStdString();
            fixed |= r["Sash_Type"].toString() == "Fixed";
            // Costing reads discount and waste from whichever row of the system the table stands on.
            EXPECT_EQ(r["SHF_Discount"], own.front()["SHF_Discount"]);
            EXPECT_EQ(r["SHF_Waste"], own.front()["SHF_Waste"]);
        }
        EXPECT_TRUE(fixed);
    }
    EXPECT_EQ(continuous, (QSet<QString>{"V", "H", "B"}));
    EXPECT_GE(inactiveTypes, 1);
    EXPECT_GE(inactiveSystems, 1);
    EXPECT_GE(sashSystems, 1);

    const auto finishes = rows("Finish");
    QSet<QString> finishNames;
    int inactiveFinishes = 0;
    for (const Row& f : finishes) {
        finishNames << f["Finish"].toString();
        inactiveFinishes += !f["Finish_Active"].toBool();
    }
    EXPECT_TRUE(finishNames.contains("Powder Coat"));  // the default of a new project
    EXPECT_TRUE(finishNames.contains("Anodised"));     // costed at its own rate
    EXPECT_GE(inactiveFinishes, 1);
}

TEST_F(Catalogue, EveryProfileSlotResolvesAndDieCodesAreUnique) {
    const auto profiles = rows("SystemProfile");
    int inactive = 0;
    QSet<QString> dies;
    for (const Row& p : profiles) {
        inactive += !p["Active"].toBool();
        // The structural check finds a profile by its die code alone.
        EXPECT_FALSE(dies.contains(p["Profile_Code"].toString())) << p["Profile_Code"].toString().toStdString();
        dies << p["Profile_Code"].toString();
        EXPECT_GT(p["Profile_Ix"].toDouble(), 0);
    }
    EXPECT_GE(inactive, 1);
    for (const Row& s : rows("System")) {
        const QString system = s["System_Name"].toString();
        SCOPED_TRACE(system.toStdString());
        ASSERT_EQ(where(rows("SystemProfileType"), "System_Name", system).size(), 1u);
        for (int slot = 1; slot <= 5; ++slot) {
            const QStringList list = choices(system, slot);
            EXPECT_GE(list.size(), 1) << "slot " << slot;
            EXPECT_LE(list.size(), 3) << "slot " << slot;
            for (const QString& choice : list) {
                // The die is found by system and the trimmed description.
                const auto found = select("Select * from SystemProfile Where System_Name=? and Profile_Desc=?",
                                          {system, choice.trimmed()});
                ASSERT_EQ(found.size(), 1u) << choice.toStdString();
            }
        }
    }
}

TEST_F(Catalogue, OfferedGlazingIsInTheLibraryWithItsSupplier) {
    const auto glazing = rows("Glazing");
    QSet<QString> suppliers;
    for (const Row& s : rows("Supplier")) suppliers << s["Glass_Supplier"].toString();
    for (const char* name : {"Orvane", "Telmar", "Haldor", "Brevik"}) EXPECT_TRUE(suppliers.contains(name));
    EXPECT_GE(suppliers.size(), 5);  // and one without a logo
    for (const Row& sg : rows("SystemGlass")) {
        const auto g = where(glazing, "Glass_Code", sg["Glass_Code"]);
        ASSERT_EQ(g.size(), 1u) << sg["Glass_Code"].toString().toStdString();
        EXPECT_EQ(sg["Supplier"], g.front()["Glass_Supplier"]);
        EXPECT_TRUE(suppliers.contains(sg["Supplier"].toString()));
    }
    for (const Row& g : glazing) {
        SCOPED_TRACE(g["Glass_Code"].toString().toStdString());
        // SystemValues keeps glass codes in 15 characters.
        EXPECT_LE(g["Glass_Code"].toString().size(), 15);
        EXPECT_GT(g["U_COG"].toDouble(), 1.0);
        EXPECT_LT(g["U_COG"].toDouble(), 6.0);
        EXPECT_GT(g["SHGC_COG"].toDouble(), 0.2);
        EXPECT_LT(g["SHGC_COG"].toDouble(), 0.9);
        EXPECT_GT(g["Max_Area"].toDouble(), 0);
    }
    for (const Row& s : rows("System"))
        EXPECT_FALSE(where(rows("SystemGlass"), "System_Name", s["System_Name"]).empty())
            << s["System_Name"].toString().toStdString();
}

// The lookups of the calculation, with its conditions, for every system,
// finish, glazing unit the system offers, profile choice and (in a sash
// system) sash choice: each must find exactly one row, and no row may be
// unreachable.
TEST_F(Catalogue, EveryChoiceFindsExactlyOneThermalRow) {
    const auto glazing = rows("Glazing");
    const auto systemGlass = rows("SystemGlass");
    int lookups = 0;
    for (const Row& s : rows("System")) {
        const QString system = s["System_Name"].toString();
        const bool sash = sashSystem(system);
        const QStringList sashChoices = sash ? choices(system, 5) : QStringList{QString()};
        std::vector<QStringList> slotChoices;
        for (int slot = 1; slot <= 5; ++slot) slotChoices.push_back(choices(system, slot));
        for (const Row& f : rows("Finish"))
            for (const Row& sg : where(systemGlass, "System_Name", system)) {
                const QString code = sg["Glass_Code"].toString();
                const Row g = where(glazing, "Glass_Code", code).at(0);
                for (const QString& sashChoice : sashChoices)
                    for (int slot = 1; slot <= 5; ++slot)
                        // In a sash system the fifth field is the sash choice itself.
                        for (const QString& option :
                             sash && slot == 5 ? QStringList{sashChoice} : slotChoices[size_t(slot - 1)]) {
                            QString text = "Select * from SystemValues Where System_Name=? and Finish=? and Glass_Code=? ";
                            QVariantList params{system, f["Finish"], code};
                            if (sash) {
                                text += "and Sash=? ";
                                params << sashChoice;
                            }
                            text += "and Profile=? and Option_Desc=?";
                            params << kSlots[slot - 1] << option;
                            const auto found = select(text, params);
                            ++lookups;
                            ASSERT_EQ(found.size(), 1u)
                                << system.toStdString() << " / " << f["Finish"].toString().toStdString() << " / "
                                << code.toStdString() << " / " << sashChoice.toStdString() << " / "
                                << kSlots[slot - 1].toStdString() << " / '" << option.toStdString() << "'";
                            const Row& v = found.front();
                            EXPECT_DOUBLE_EQ(v["U_COG"].toDouble(), g["U_COG"].toDouble());
                            EXPECT_DOUBLE_EQ(v["SHGC_COG"].toDouble(), g["SHGC_COG"].toDouble());
                        }
            }
    }
    // In a sash system the fifth slot is the sash itself, looked up once per sash choice.
    int reachable = 0;
    for (const Row& s : rows("System")) {
        const QString system = s["System_Name"].toString();
        int perGlass = 0;
        for (int slot = 1; slot <= 4; ++slot) perGlass += int(choices(system, slot).size());
        perGlass = sashSystem(system) ? perGlass * int(choices(system, 5).size()) + int(choices(system, 5).size())
                                      : perGlass + int(choices(system, 5).size());
        reachable += perGlass * int(where(systemGlass, "System_Name", system).size()) * int(rows("Finish").size());
    }
    EXPECT_EQ(int(rows("SystemValues").size()), reachable) << "rows no choice can reach";
    EXPECT_GT(lookups, 0);
}

TEST_F(Catalogue, FrameValuesAreThoseOfAluminiumFrames) {
    std::map<QString, bool> thermallyBroken;
    for (const Row& s : rows("System"))
        thermallyBroken[s["System_Name"].toString()] = s["System_Description"].toString().contains("thermally broken");
    const auto glazing = rows("Glazing");
    for (const Row& v : rows("SystemValues")) {
        const QString member = v["Profile"].toString();
        const bool tb = thermallyBroken.at(v["System_Name"].toString());
        const int used = member == "Vert" || member == "Horiz" ? 3 : 2;
        for (int i = 0; i < used; ++i) {
            const double uf = v[QStringLiteral("UF%1").arg(i)].toDouble();
            const double pfd = v[QStringLiteral("PFD%1").arg(i)].toDouble();
            if (tb) {
                EXPECT_GE(uf, 3.1);
                EXPECT_LE(uf, 4.5);
            } else {
                EXPECT_GE(uf, 5.4);  // bare mill finish a little below 5.7
                EXPECT_LE(uf, 6.6);
            }
            EXPECT_GE(pfd, 30);
            EXPECT_LE(pfd, 140);
            if (i > 0) {
                // A member met by a sash is wider and loses more heat.
                EXPECT_GT(pfd, v[QStringLiteral("PFD%1").arg(i - 1)].toDouble());
                EXPECT_GT(uf, v[QStringLiteral("UF%1").arg(i - 1)].toDouble());
            }
        }
        const Row g = where(glazing, "Glass_Code", v["Glass_Code"]).at(0);
        if (g["Glass_Type"].toString() == "Double")
            EXPECT_GT(v["UE0"].toDouble(), g["U_COG"].toDouble());  // the aluminium spacer
        else
            EXPECT_DOUBLE_EQ(v["UE0"].toDouble(), g["U_COG"].toDouble());
    }
}

TEST_F(Catalogue, SolarFactorsCoverEveryZoneAndRatio) {
    const auto ratios = rows("Ratios");
    const QList<double> pickList = {0.00, 0.05, 0.10, 0.15, 0.20, 0.25, 0.30, 0.35, 0.40, 0.50, 0.60, 0.70, 0.80,
                                    0.90, 1.00, 1.10, 1.20, 1.30, 1.40, 1.50, 1.60, 1.70, 1.80, 1.90, 2.00};
    ASSERT_EQ(ratios.size(), size_t(pickList.size()));
    for (size_t i = 0; i < ratios.size(); ++i) EXPECT_EQ(ratios[i]["Ratio"].toDouble(), pickList[int(i)]);

    store::Table ratioTable(db, "Ratios");
    ratioTable.open();
    const QStringList orient = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    const auto factors = rows("SolarExposureFactors");
    const auto zones = rows("ClimateZone");
    ASSERT_EQ(zones.size(), 6u);
    for (const Row& f : factors)
        EXPECT_TRUE(ratioTable.findKey({f["Ratio"]})) << f["Ratio"].toDouble();
    store::Table factorTable(db, "SolarExposureFactors");
    factorTable.open();
    for (const Row& z : zones) {
        const int zone = z["Zone_No"].toInt();
        SCOPED_TRACE(zone);
        EXPECT_GT(z["Conductance"].toDouble(), 0);
        EXPECT_GT(z["SHGC"].toDouble(), 0);
        std::vector<double> previous;
        for (double ratio : pickList) {
            // Looked up by key with the pick-list value, as the analysis does.
            ASSERT_TRUE(factorTable.findKey({zone, ratio})) << ratio;
            std::vector<double> now;
            for (const QString& o : orient) now.push_back(factorTable.fieldByName(o + "_Factor").asFloat());
            if (previous.empty()) {
                // The zone's own factors are those of an unshaded window.
                for (int i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(z[orient[i] + "_Factor"].toDouble(), now[size_t(i)]);
                // Most sun on north, north-west and west; least on south.
                for (int i : {1, 2, 3, 4, 5})
                    EXPECT_LT(now[size_t(i)], std::min({now[0], now[6], now[7]})) << orient[i].toStdString();
            } else {
                for (int i = 0; i < 8; ++i) EXPECT_LE(now[size_t(i)], previous[size_t(i)]);
            }
            previous = now;
        }
    }
    EXPECT_EQ(factors.size(), zones.size() * size_t(pickList.size()));
    // Published conductance allowances of zones 1 and 2.
    EXPECT_DOUBLE_EQ(where(zones, "Zone_No", 1).at(0)["Conductance"].toDouble(), 1.2);
    EXPECT_DOUBLE_EQ(where(zones, "Zone_No", 2).at(0)["Conductance"].toDouble(), 1.4);
}

// Spans and types of one design's 50 cells follow the grid's conventions.
void checkCells(const QString& ref, const std::vector<Row>& images, const std::vector<Row>& merges) {
    SCOPED_TRACE(ref.toStdString());
    ASSERT_EQ(images.size(), 50u);
    ASSERT_EQ(merges.size(), 50u);
    QString word[5][10];
    int colSpan[5][10], rowSpan[5][10];
    for (size_t i = 0; i < 50; ++i) {
        // Key order walks rows, then columns.
        const int r = int(i) / 10, c = int(i) % 10;
        ASSERT_EQ(images[i]["Row"].toInt(), r);
        ASSERT_EQ(images[i]["Column"].toInt(), c);
        ASSERT_EQ(merges[i]["Row"].toInt(), r);
        ASSERT_EQ(merges[i]["Column"].toInt(), c);
        word[r][c] = images[i]["ModeOfCell"].toString();
        colSpan[r][c] = merges[i]["ColSpan"].toInt();
        rowSpan[r][c] = merges[i]["RowSpan"].toInt();
    }
    const QSet<std::pair<int, int>> shapes = {{1, 1}, {2, 1}, {3, 1}, {1, 2}, {1, 3}, {2, 2}};
    int typed = 0;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 10; ++c) {
            typed += word[r][c] != "NONE";
            if (colSpan[r][c] > 0 && rowSpan[r][c] > 0) {
                EXPECT_TRUE(shapes.contains({colSpan[r][c], rowSpan[r][c]})) << r << "," << c;
                ASSERT_LE(c + colSpan[r][c], 10);
                ASSERT_LE(r + rowSpan[r][c], 5);
                for (int rr = r; rr < r + rowSpan[r][c]; ++rr)
                    for (int cc = c; cc < c + colSpan[r][c]; ++cc) {
                        if (rr == r && cc == c) continue;
                        // A covered cell points back to its base and carries its type.
                        EXPECT_EQ(colSpan[rr][cc], c - cc) << rr << "," << cc;
                        EXPECT_EQ(rowSpan[rr][cc], r - rr) << rr << "," << cc;
                        EXPECT_EQ(word[rr][cc], word[r][c]) << rr << "," << cc;
                    }
            } else {
                EXPECT_LE(colSpan[r][c], 0);
                EXPECT_LE(rowSpan[r][c], 0);
                const int br = r + rowSpan[r][c], bc = c + colSpan[r][c];
                ASSERT_GE(br, 0);
                ASSERT_GE(bc, 0);
                EXPECT_GT(colSpan[br][bc], c - bc) << "covered cell outside its base's area";
                EXPECT_GT(rowSpan[br][bc], r - br) << "covered cell outside its base's area";
            }
        }
    EXPECT_GT(typed, 0);
}

TEST_F(Catalogue, ShippedDesignsAreWholeAndBuiltFromTheCatalogue) {
    const auto designs = rows("Design"), images = rows("DesignImage"), merges = rows("DesignMerge");
    const auto sashes = rows("SystemSash"), systemGlass = rows("SystemGlass");
    QSet<QString> standardRefs;
    for (const Row& d : designs) {
        const QString project = d["Project_Ref"].toString(), system = d["System_Name"].toString();
        const QString ref = d["Design_Ref"].toString();
        SCOPED_TRACE((project + " " + ref).toStdString());
        std::vector<Row> own, ownMerge;
        for (const Row& i : images)
            if (i["Project_Ref"] == project && i["Design_No"] == d["Design_No"]) own.push_back(i);
        for (const Row& m : merges)
            if (m["Project_Ref"] == project && m["Design_No"] == d["Design_No"]) ownMerge.push_back(m);
        checkCells(ref, own, ownMerge);
        // Every cell type is offered by the system's cell menu (matched as the costing does).
        for (const Row& i : own) {
            const QString w = i["ModeOfCell"].toString();
            if (w == "NONE") continue;
            const auto found = select("Select * from SystemSash Where System_Name=? and Upper(Sash_Type)=?", {system, w});
            EXPECT_EQ(found.size(), 1u) << w.toStdString();
        }
        bool offered = false;
        for (const Row& sg : where(systemGlass, "System_Name", system))
            offered |= sg["Glass_Code"] == d["Glass_Code"] && sg["Supplier"] == d["Glass_Supplier"];
        EXPECT_TRUE(offered) << "glass not offered for the system and supplier";
        for (int slot = 1; slot <= 5; ++slot) {
            const QString profile = d[QStringLiteral("Profile%1").arg(slot)].toString();
            EXPECT_TRUE(choices(system, slot).contains(profile)) << profile.toStdString();
            const auto die = select("Select * from SystemProfile Where System_Name=? and Profile_Desc=?",
                                    {system, profile.trimmed()});
            ASSERT_EQ(die.size(), 1u);
            EXPECT_EQ(die.front()["Profile_Code"], d[QStringLiteral("Die%1").arg(slot)]);
        }
        if (project.startsWith('_')) {
            EXPECT_EQ(project.mid(1), system);
            EXPECT_FALSE(standardRefs.contains(ref)) << "pictures are named by the design reference";
            standardRefs << ref;
        }
    }
    // Each system with a standard range finds it through the picker's query.
    for (const Row& p : rows("Project")) {
        const QString ref = p["Project_Ref"].toString();
        if (!ref.startsWith('_')) continue;
        const auto found = select("Select * from Design Where Project_Ref like ? order by project_ref desc,design_ref",
                                  {ref + "%"});
        EXPECT_GE(found.size(), 3u) << ref.toStdString();
        EXPECT_LE(found.size(), 8u) << ref.toStdString();
        for (const Row& d : found) EXPECT_EQ(d["Project_Ref"].toString(), ref);
    }
}

TEST_F(Catalogue, TheSampleProjectIsTheOneANewUserStartsOn) {
    const auto latest = select("Select * from Project Order by Project_Date", {});
    ASSERT_FALSE(latest.empty());
    const Row sample = latest.back();
    const QString ref = sample["Project_Ref"].toString();
    EXPECT_FALSE(ref.startsWith('_'));
    const auto designs = select("Select * from Design Where Project_Ref=?", {ref});
    QSet<QString> floors, elevations;
    for (const Row& d : designs) {
        floors << d["Floor"].toString();
        elevations << d["Elevation"].toString();
    }
    EXPECT_EQ(floors, (QSet<QString>{"G", "1"}));
    EXPECT_GE(elevations.size(), 3);
    // Ready for the storey analysis: a climate zone and both storeys with factors.
    const auto options = select("Select * from ProjectOptions Where Project_Ref=?", {ref});
    ASSERT_EQ(options.size(), 1u);
    store::Table zones(db, "ClimateZone");
    zones.open();
    ASSERT_TRUE(zones.locate("Zone_No", options.front()["Climate_Zone"]));
    EXPECT_DOUBLE_EQ(options.front()["Conductance"].toDouble(), zones.fieldByName("Conductance").asFloat());
    const auto storeys = select("Select * from ProjectFloors Where Project_Ref=?", {ref});
    ASSERT_EQ(storeys.size(), 2u);
    store::Table factors(db, "SolarExposureFactors");
    factors.open();
    for (const Row& s : storeys) {
        EXPECT_TRUE(floors.contains(s["Floor"].toString()));
        EXPECT_GT(s["Effective_Area"].toDouble(), 0);
        ASSERT_TRUE(factors.findKey({options.front()["Climate_Zone"], s["Shading_Ratio"]}));
        EXPECT_DOUBLE_EQ(s["N_Factor"].toDouble(), factors.fieldByName("N_Factor").asFloat());
    }
}

bool readable(const QString& file) {
    QImageReader reader(file);
    const QImage img = reader.read();
    return !img.isNull() && img.width() > 0;
}

TEST_F(Catalogue, EveryPictureTheProgramLoadsIsShipped) {
    const QDir images(kShippedImages);
    const QStringList cells = {
        "none.bmp",   "top.bmp",    "top2.bmp",   "top3.bmp",   "top4.bmp",      "sideL.bmp",     "sideL2.bmp",
        "sideL3.bmp", "sideL4.bmp", "sideR.bmp",  "sideR2.bmp", "sideR3.bmp",    "sideR4.bmp",    "bott.bmp",
        "bott2.bmp",  "bott3.bmp",  "bott4.bmp",  "fix.bmp",    "fix2.bmp",      "fix3.bmp",      "fix4.bmp",
        "fix5.bmp",   "fix6.bmp",   "slidR.bmp",  "slidL.bmp",  "slidfL.bmp",    "slidfR.bmp",    "slidU.bmp",
        "SlidD.bmp",  "TiltTurnL.bmp", "TiltTurnR.bmp", "TiltSlidL.bmp", "TiltSlidR.bmp"};
    ASSERT_EQ(cells.size(), 33);
    QStringList named = cells;
    for (const QString s : {"Orvane", "Telmar", "Haldor", "Brevik"}) named << s + "Logo.jpg" << s + "LogoWhite.jpg";
    named << "NoSupplier.jpg" << "Banner.jpg" << "AboutBanner.jpg" << "AboutPicture.jpg" << "FooterLogo.jpg"
          << "FooterBadge1.jpg" << "FooterBadge2.jpg" << "ProfileSection.jpg" << "ClimateZoneMap.jpg"
          << "Standards/Blank.jpg";
    for (const Row& d : rows("Design"))
        if (d["Project_Ref"].toString().startsWith('_')) named << "Standards/" + d["Design_Ref"].toString() + ".jpg";
    for (const QString& name : named) EXPECT_TRUE(readable(images.filePath(name))) << name.toStdString();
    // The company logo is the installation's own: shipping one would print it on every report.
    EXPECT_FALSE(QFile::exists(images.filePath("CompanyLogo.jpg")));
}

}  // namespace
