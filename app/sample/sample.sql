-- The sample database Samples2/sample.mdb in the program folder, made by the build with our own
-- engine (cmake/SampleDatabase.cmake). One statement a line; lines starting with "--" are notes.
-- Its tables are shaped as people make them in Access (a primary key, typed columns), with the
-- columns of the sample files in Samples/: a new user can append customers.csv to Customers and
-- stock_tab.csv to Stock, or create new tables from any of them.
-- Those appends must work whatever the user's regional settings: the sample files hold dates as
-- yyyy-mm-dd, which every locale reads alike, and whole numbers without digit grouping, since a
-- point or comma in a number means a decimal separator in some locales and grouping in others.
-- The rows below keep to the same forms, so the build's own locale cannot change them either.
CREATE TABLE `Customers` (`CustomerID` VARCHAR(10) PRIMARY KEY, `Name` VARCHAR(60), `City` VARCHAR(40), `Country` VARCHAR(40), `Email` VARCHAR(80), `Since` DATETIME)
INSERT INTO `Customers` VALUES ('C901', 'Brightwater Cafe', 'Galway', 'Ireland', 'hello@brightwater.example', '2022-05-30')
INSERT INTO `Customers` VALUES ('C902', 'Nordlys Sykler', 'Tromsø', 'Norway', 'post@nordlys.example', '2023-09-12')
CREATE TABLE `Stock` (`SKU` VARCHAR(10) PRIMARY KEY, `Description` VARCHAR(80), `Warehouse` VARCHAR(20), `OnHand` LONG, `ReorderLevel` LONG)
CREATE INDEX `Warehouse` ON `Stock` (`Warehouse`)
INSERT INTO `Stock` VALUES ('BK-200', 'Bike chain, 116 links', 'West', 64, 20)
INSERT INTO `Stock` VALUES ('CB-001', 'Coffee beans 1 kg', 'South', 210, 50)
