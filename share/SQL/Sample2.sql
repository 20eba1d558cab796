-- Sample database 2: the staff of a small company.
--
-- Departments, the people working in them (with photos, birthdays, hire dates, salaries and
-- a short biography) and the time they booked on projects. Built into
-- Data/DBSamples/Sample2.db when the program is built; run it with the sqlite3 shell to build
-- the file by hand:
--     sqlite3 Sample2.db ".read Sample2.sql"

PRAGMA encoding = 'UTF-8';
BEGIN TRANSACTION;

CREATE TABLE departments (
    department_id  INTEGER PRIMARY KEY,
    name           VARCHAR(40) NOT NULL,
    location       VARCHAR(40),
    budget         NUMERIC(12,2)
);

INSERT INTO departments VALUES
    (1, 'Management',       'Head office, floor 5',  450000.00),
    (2, 'Sales',            'Head office, floor 2',  820000.00),
    (3, 'Marketing',        'Head office, floor 3',  390000.50),
    (4, 'Development',      'Technopark, building B', 1250000.00),
    (5, 'Support',          'Technopark, building A', 310000.00),
    (6, 'Finance',          'Head office, floor 4',  275000.75),
    (7, 'Logistics',        'Warehouse Nord',        540000.00),
    (8, 'Research',         NULL,                     NULL);

CREATE TABLE employees (
    employee_id    INTEGER PRIMARY KEY,
    first_name     VARCHAR(30) NOT NULL,
    last_name      VARCHAR(30) NOT NULL,
    department_id  INTEGER REFERENCES departments(department_id),
    title          VARCHAR(40),
    birth_date     DATE,
    hire_date      DATE NOT NULL,
    salary         NUMERIC(10,2),
    email          VARCHAR(60),
    photo          VARCHAR(40),
    biography      TEXT
);

-- 120 people: every first name meets a few of the last names. Dates, salaries and titles
-- follow from the employee number, so the file is the same on every build.
WITH first(fi, first_name) AS (VALUES
        (0, 'Anna'), (1, 'Björn'), (2, 'Chloé'), (3, 'Dmitri'), (4, 'Eleni'), (5, 'François'),
        (6, 'Giulia'), (7, 'Hiroshi'), (8, 'Ingrid'), (9, 'José'), (10, 'Katarzyna'), (11, 'Łukasz'),
        (12, 'Mónica'), (13, 'Nikolai'), (14, 'Oğuz'), (15, 'Priya'), (16, 'Renée'), (17, 'Søren'),
        (18, 'Tomáš'), (19, 'Zoë')),
     last(li, last_name) AS (VALUES
        (0, 'Andersson'), (1, 'Brontë'), (2, 'Castañeda'), (3, 'Dvořák'), (4, 'Eriksen'), (5, 'Fischer'),
        (6, 'García'), (7, 'Hoffmann'), (8, 'Ivanova'), (9, 'Jensen'), (10, 'Kowalski'), (11, 'Lefèvre'),
        (12, 'Müller'), (13, 'Nakamura'), (14, 'O''Brien'), (15, 'Papadopoulos'), (16, 'Øster'),
        (17, 'Rossi'), (18, 'Schäfer'), (19, 'Wang')),
     n(i, fi, li) AS (
        SELECT 1 + f.fi * 6 + k.k, f.fi, (f.fi * 7 + k.k * 3) % 20
        FROM first f, (SELECT 0 AS k UNION ALL SELECT 1 UNION ALL SELECT 2
                       UNION ALL SELECT 3 UNION ALL SELECT 4 UNION ALL SELECT 5) k)
INSERT INTO employees
SELECT n.i,
       first.first_name,
       last.last_name,
       1 + n.i % 8,
       CASE WHEN n.i % 8 = 0 THEN 'Director'
            WHEN n.i % 5 = 0 THEN 'Team lead'
            WHEN n.i % 3 = 0 THEN 'Senior specialist'
            ELSE 'Specialist' END,
       CASE WHEN n.i % 17 = 0 THEN NULL ELSE date('1960-01-01', '+' || (n.i * 131) || ' days') END,
       date('2005-03-01', '+' || (n.i * 53) || ' days'),
       CASE WHEN n.i % 19 = 0 THEN NULL ELSE 42000 + (n.i * 379) % 48000 + (n.i % 4) * 0.25 END,
       lower(replace(last.last_name, '''', '')) || '.' || n.i || '@staff.example',
       'photos/emp' || substr('000' || n.i, -3) || '.jpg',
       CASE WHEN n.i % 4 = 0 THEN first.first_name || ' joined us from a competitor.' || char(13, 10) ||
                                  'Speaks three languages and leads the internal chess club.'
            WHEN n.i % 4 = 1 THEN first.first_name || ' started as a trainee and never left.'
            WHEN n.i % 4 = 2 THEN NULL
            ELSE 'Works part time; ask ' || first.first_name || ' about the 2019 trade fair.' END
FROM n
JOIN first ON first.fi = n.fi
JOIN last ON last.li = n.li;

CREATE TABLE projects (
    project_id   INTEGER PRIMARY KEY,
    code         CHAR(6) NOT NULL,
    title        VARCHAR(60) NOT NULL,
    started      DATE,
    finished     DATE
);

INSERT INTO projects VALUES
    (1, 'WEB-01', 'New web shop',                '2022-01-10', '2022-09-30'),
    (2, 'ERP-02', 'Accounting system upgrade',   '2022-03-01', NULL),
    (3, 'LOG-03', 'Warehouse scanners',          '2022-06-15', '2023-01-31'),
    (4, 'MKT-04', 'Spring campaign „Frühling“',  '2023-02-01', '2023-05-31'),
    (5, 'RES-05', 'Materials study 材料研究',      '2023-04-01', NULL);

CREATE TABLE timesheets (
    entry_id     INTEGER PRIMARY KEY,
    employee_id  INTEGER NOT NULL REFERENCES employees(employee_id),
    project_id   INTEGER NOT NULL REFERENCES projects(project_id),
    work_day     DATE NOT NULL,
    started_at   TIME NOT NULL,
    hours        NUMERIC(4,2) NOT NULL,
    booked_at    TIMESTAMP NOT NULL
);

-- 240 bookings over the first months of 2023.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 240)
INSERT INTO timesheets (entry_id, employee_id, project_id, work_day, started_at, hours, booked_at)
SELECT i,
       1 + (i * 13) % 120,
       1 + i % 5,
       date('2023-01-02', '+' || (i / 2) || ' days'),
       time('07:30:00', '+' || ((i * 15) % 240) || ' minutes'),
       (1 + (i * 7) % 32) * 0.25,
       datetime('2023-01-02 17:45:00', '+' || (i / 2) || ' days', '+' || (i % 60) || ' seconds')
FROM n;

COMMIT;
