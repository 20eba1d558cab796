#pragma once
// Two small tables for the index tests: people with a composite unique index on (last, first)
// and an index on city, their names differing in letter case; visits keyed by (person_id, day).

#include <vector>

namespace dbtest {

inline const std::vector<const char*>& PeopleTablesSql()
{
    static const std::vector<const char*> sql = {
        "CREATE TABLE people (id INTEGER PRIMARY KEY, last VARCHAR(20), first VARCHAR(20), city VARCHAR(20))",
        "CREATE UNIQUE INDEX people_name ON people(last, first)",
        "CREATE INDEX people_city ON people(city)",
        "CREATE TABLE visits (person_id INTEGER, day INTEGER, note VARCHAR(20), PRIMARY KEY (person_id, day))",
        "INSERT INTO people VALUES (1, 'Smith', 'Anna', 'Berlin'), (2, 'smith', 'bob', 'Paris'), "
        "(3, 'Jones', 'Carl', 'Berlin'), (4, 'Smith', 'Zoe', 'Rome'), (5, 'Brown', 'Dan', NULL)",
        "INSERT INTO visits VALUES (1, 1, 'a'), (1, 2, 'b'), (3, 1, 'c'), (4, 5, 'd'), (4, 6, 'e'), (4, 7, 'f')",
    };
    return sql;
}

}  // namespace dbtest
