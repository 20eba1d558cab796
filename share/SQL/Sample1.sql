-- Sample database 1: a small trading business.
--
-- Customers, the products they buy (with prices and picture file names), and two years of
-- orders with their dates, times and order lines. Built into Data/DBSamples/Sample1.db when
-- the program is built; run it with the sqlite3 shell to build the file by hand:
--     sqlite3 Sample1.db ".read Sample1.sql"

PRAGMA encoding = 'UTF-8';
BEGIN TRANSACTION;

CREATE TABLE customers (
    customer_id  INTEGER PRIMARY KEY,
    company      VARCHAR(60) NOT NULL,
    contact      VARCHAR(40),
    city         VARCHAR(30),
    country      VARCHAR(30),
    email        VARCHAR(60),
    phone        VARCHAR(24),
    since        DATE
);

INSERT INTO customers VALUES
    ( 1, 'Alfreds Futterkiste',        'Maria Anders',       'Berlin',      'Germany',     'maria@futterkiste.example',   '030-0074321',     '2019-03-14'),
    ( 2, 'Café Müller',                'Jürgen Müller',      'München',     'Germany',     'cafe@mueller.example',        '089-55 12 31',    '2020-07-01'),
    ( 3, 'Åkesson Trading AB',         'Linnéa Åkesson',     'Göteborg',    'Sweden',      'linnea@akesson.example',      '031-987 65 43',   '2018-11-20'),
    ( 4, 'Ñandú Importaciones',        'José Peña',          'Sevilla',     'Spain',       'jose@nandu.example',          '(95) 555 82 82',  '2021-01-09'),
    ( 5, 'Москва Торг',                'Ирина Соколова',     'Москва',      'Russia',      'irina@moskvatorg.example',    '+7 495 123-45-67','2019-09-30'),
    ( 6, '東京商事',                    '佐藤 花子',           '東京',         'Japan',       'sato@tokyo-shoji.example',    '03-3555-5011',    '2022-04-18'),
    ( 7, 'Ελληνικά Προϊόντα',          'Νίκος Παπαδόπουλος', 'Αθήνα',       'Greece',      'nikos@proionta.example',      '210 555 0123',    '2020-02-29'),
    ( 8, 'Bottom-Dollar Markets',      'Elizabeth Lincoln',  'Tsawassen',   'Canada',      'liz@bottomdollar.example',    '(604) 555-4729',  '2017-05-05'),
    ( 9, 'Blondel père et fils',       'Frédérique Citeaux', 'Strasbourg',  'France',      'f.citeaux@blondel.example',   '88.60.15.31',     '2018-08-12'),
    (10, 'Żabka Delikatesy',           'Zbigniew Wójcik',    'Kraków',      'Poland',      'zbyszek@zabka.example',       '(12) 555 61 23',  '2021-06-21'),
    (11, 'Çiçek Evi',                  'Ayşe Yılmaz',        'İstanbul',    'Turkey',      'ayse@cicekevi.example',       '(212) 555 44 01', '2022-10-03'),
    (12, 'Zürcher Uhrenhaus',          'Beat Nüssli',        'Zürich',      'Switzerland', 'beat@uhrenhaus.example',      '044 555 13 37',   '2016-12-01'),
    (13, 'Great Lakes Food Market',    'Howard Snyder',      'Eugene',      'USA',         'howard@greatlakes.example',   '(503) 555-7555',  '2019-01-15'),
    (14, 'Hanari Carnes',              'Mario Pontes',       'Rio de Janeiro','Brazil',    'mario@hanari.example',        '(21) 555-0091',   '2020-03-03'),
    (15, 'Island Trading',             'Helen Bennett',      'Cowes',       'UK',          'helen@island.example',        '(198) 555-8888',  '2018-04-27'),
    (16, 'Königlich Essen',            'Philip Cramer',      'Brandenburg', 'Germany',     'philip@koeniglich.example',   '0555-09876',      '2021-08-08'),
    (17, 'La maison d''Asie',          'Annette Roulet',     'Toulouse',    'France',      'annette@maisonasie.example',  '61.77.61.10',     '2017-10-10'),
    (18, 'Lonesome Pine Restaurant',   'Fran Wilson',        'Portland',    'USA',         NULL,                          '(503) 555-9573',  '2022-01-31'),
    (19, 'Magazzini Alimentari Riuniti','Giovanni Rovelli',  'Bergamo',     'Italy',       'giovanni@magazzini.example',  '035-640230',      '2019-07-19'),
    (20, 'Norðurljós ehf.',            'Guðrún Þórsdóttir',  'Reykjavík',   'Iceland',     'gudrun@nordurljos.example',   '354 555 1234',    '2023-02-14'),
    (21, 'Ottilies Käseladen',         'Henriette Pfalzheim','Köln',        'Germany',     'henriette@kaese.example',     '0221-0644327',    '2018-06-06'),
    (22, 'Piccolo und mehr',           'Georg Pipps',        'Salzburg',    'Austria',     'georg@piccolo.example',       '6562-9722',       '2020-11-11'),
    (23, 'Queen Cozinha',              'Lúcia Carvalho',     'São Paulo',   'Brazil',      'lucia@queencozinha.example',  '(11) 555-1189',   '2021-04-01'),
    (24, 'Rattlesnake Canyon Grocery', 'Paula Wilson',       'Albuquerque', 'USA',         'paula@rattlesnake.example',   '(505) 555-5939',  '2016-09-09'),
    (25, 'Santé Gourmet',              'Jonas Bergulfsen',   'Stavanger',   'Norway',      'jonas@sante.example',         '07-98 92 35',     '2019-12-24'),
    (26, 'Šťastný obchod',             'Jiří Dvořák',        'Brno',        'Czechia',     'jiri@stastny.example',        '+420 555 123 456','2022-07-07'),
    (27, 'Tortuga Restaurante',        'Miguel Angel Paolino','México D.F.','Mexico',      'miguel@tortuga.example',      '(5) 555-2933',    '2017-03-17'),
    (28, 'Vaffeljernet',               'Palle Ibsen',        'Århus',       'Denmark',     'palle@vaffel.example',        '86 21 32 43',     '2020-05-25'),
    (29, 'שוק הכרמל',                  'דוד לוי',            'תל אביב',     'Israel',      'david@carmel.example',        '03-555-7788',     '2023-05-01'),
    (30, 'Wolski Zajazd',              'Zbyszek Piestrzeniewicz','Warszawa','Poland',      'zbyszek@wolski.example',      '(26) 642-7012',   '2018-01-02');

CREATE TABLE products (
    product_id    INTEGER PRIMARY KEY,
    name          VARCHAR(50) NOT NULL,
    category      VARCHAR(30),
    unit_price    NUMERIC(10,2) NOT NULL,
    units_in_stock INTEGER,
    discontinued  BOOLEAN NOT NULL DEFAULT 0,
    image_file    VARCHAR(40),
    description   TEXT
);

INSERT INTO products VALUES
    ( 1, 'Chai',                      'Beverages',     18.00,  39, 0, 'chai.jpg',        'Black tea with cardamom, ginger and cinnamon.'),
    ( 2, 'Chang',                     'Beverages',     19.00,  17, 0, 'chang.jpg',       'Light lager, 24 bottles of 12 oz.'),
    ( 3, 'Aniseed Syrup',             'Condiments',    10.00,  13, 0, 'aniseed.jpg',     NULL),
    ( 4, 'Chef Anton''s Cajun Seasoning','Condiments', 22.00,  53, 0, 'cajun.jpg',       'A spicy blend for gumbo and jambalaya.'),
    ( 5, 'Grandma''s Boysenberry Spread','Condiments', 25.00, 120, 0, 'boysenberry.jpg', 'Made in small batches.' || char(13, 10) || 'Twelve jars of 8 oz.'),
    ( 6, 'Uncle Bob''s Organic Dried Pears','Produce', 30.00,  15, 0, 'pears.jpg',       NULL),
    ( 7, 'Northwoods Cranberry Sauce','Condiments',    40.00,   6, 0, 'cranberry.jpg',   'Tart and sweet.'),
    ( 8, 'Mishi Kobe Niku',           'Meat',          97.00,  29, 1, 'kobe.jpg',        'Discontinued in 2022.'),
    ( 9, 'Ikura',                     'Seafood',       31.00,  31, 0, 'ikura.jpg',       'Salmon roe, 12 jars of 200 ml.'),
    (10, 'Queso Cabrales',            'Dairy',         21.00,  22, 0, 'cabrales.jpg',    'Blue cheese from Asturias.'),
    (11, 'Queso Manchego La Pastora', 'Dairy',         38.00,  86, 0, 'manchego.jpg',    NULL),
    (12, 'Konbu',                     'Seafood',        6.00,  24, 0, 'konbu.jpg',       'Dried kelp, 2 kg box.'),
    (13, 'Tofu',                      'Produce',       23.25,  35, 0, 'tofu.jpg',        NULL),
    (14, 'Genen Shouyu',              'Condiments',    15.50,  39, 0, 'shouyu.jpg',      'Soy sauce brewed the slow way.'),
    (15, 'Pavlova',                   'Confections',   17.45,  29, 0, 'pavlova.jpg',     'Meringue cake with fresh fruit.'),
    (16, 'Sir Rodney''s Marmalade',   'Confections',   81.00,  40, 0, 'marmalade.jpg',   NULL),
    (17, 'Gustaf''s Knäckebröd',      'Grains',        21.00, 104, 0, 'knaeckebroed.jpg','Swedish crispbread.'),
    (18, 'Tunnbröd',                  'Grains',         9.00,  61, 0, 'tunnbroed.jpg',   NULL),
    (19, 'Nürnberger Rostbratwurst',  'Meat',         123.79,   0, 1, 'bratwurst.jpg',   'Out of stock until further notice.'),
    (20, 'Røgede sild',               'Seafood',        9.50,   5, 0, 'sild.jpg',        'Smoked herring.'),
    (21, 'Crème de la crème',         'Dairy',         12.75,  18, 0, 'creme.jpg',       NULL),
    (22, 'Pâté chinois',              'Meat',          24.00, 115, 0, 'pate.jpg',        'Shepherd''s pie, Québec style.'),
    (23, 'Чай Краснодарский',         'Beverages',     14.20,  44, 0, 'krasnodar.jpg',   'Black tea from the Krasnodar region.'),
    (24, '抹茶',                       'Beverages',     32.00,  12, 0, 'matcha.jpg',      'Ceremonial grade matcha.'),
    (25, 'Côte de Blaye',             'Beverages',    263.50,  17, 0, 'blaye.jpg',       'Red Bordeaux wine, 12 bottles.');

CREATE TABLE orders (
    order_id     INTEGER PRIMARY KEY,
    customer_id  INTEGER NOT NULL REFERENCES customers(customer_id),
    order_date   DATE NOT NULL,
    order_time   TIME,
    shipped_at   TIMESTAMP,
    status       VARCHAR(12) NOT NULL,
    notes        TEXT
);

-- Two hundred orders, one every third day from 2 January 2023, spread over the customers.
-- Every ninth order is still open (not shipped); every fifth carries a note.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200)
INSERT INTO orders (order_id, customer_id, order_date, order_time, shipped_at, status, notes)
SELECT 10000 + i,
       1 + (i * 7) % 30,
       date('2023-01-02', '+' || (i * 3) || ' days'),
       time('08:00:00', '+' || ((i * 37) % 600) || ' minutes'),
       CASE WHEN i % 9 = 0 THEN NULL
            ELSE datetime('2023-01-02 14:30:00', '+' || (i * 3 + 1 + i % 4) || ' days', '+' || (i % 50) || ' minutes')
       END,
       CASE WHEN i % 9 = 0 THEN 'Open' WHEN i % 23 = 0 THEN 'Returned' ELSE 'Shipped' END,
       CASE WHEN i % 5 = 0 THEN 'Deliver to the back door.' || char(13, 10) || 'Call ahead: ' || (100 + i) || '.'
            WHEN i % 7 = 0 THEN 'Gift wrapping requested – „Alles Gute!“'
            ELSE NULL
       END
FROM n;

CREATE TABLE order_items (
    order_id    INTEGER NOT NULL REFERENCES orders(order_id),
    line_no     INTEGER NOT NULL,
    product_id  INTEGER NOT NULL REFERENCES products(product_id),
    quantity    INTEGER NOT NULL,
    unit_price  NUMERIC(10,2) NOT NULL,
    discount    NUMERIC(4,2) NOT NULL DEFAULT 0,
    PRIMARY KEY (order_id, line_no)
);

-- One to three lines per order; the price is the product's list price.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200),
     line(l) AS (VALUES (1), (2), (3))
INSERT INTO order_items (order_id, line_no, product_id, quantity, unit_price, discount)
SELECT 10000 + i, l, p.product_id, 1 + (i * l * 13) % 40, p.unit_price,
       CASE WHEN (i + l) % 6 = 0 THEN 0.05 ELSE 0 END
FROM n
JOIN line ON l <= 1 + i % 3
JOIN products p ON p.product_id = 1 + (i * 11 + l * 5) % 25;

CREATE VIEW order_totals AS
SELECT o.order_id, c.company, o.order_date,
       round(sum(i.quantity * i.unit_price * (1 - i.discount)), 2) AS total
FROM orders o
JOIN customers c ON c.customer_id = o.customer_id
JOIN order_items i ON i.order_id = o.order_id
GROUP BY o.order_id, c.company, o.order_date;

COMMIT;
