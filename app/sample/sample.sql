-- The sample database Samples2/sample.mdb in the program folder, made by the build with our own
-- engine (cmake/SampleDatabase.cmake). One statement a line; lines starting with "--" are notes.
-- Its tables have the columns of the sample files in Samples/: a new user can append
-- customers.csv to Customers and stock_tab.csv to Stock, or create new tables from any of them.
CREATE TABLE `Customers` (`CustomerID` VARCHAR(255), `Name` VARCHAR(255), `City` VARCHAR(255), `Country` VARCHAR(255), `Email` VARCHAR(255), `Since` VARCHAR(255))
INSERT INTO `Customers` VALUES ('C901', 'Brightwater Cafe', 'Galway', 'Ireland', 'hello@brightwater.example', '2022-05-30')
INSERT INTO `Customers` VALUES ('C902', 'Nordlys Sykler', 'Tromsø', 'Norway', 'post@nordlys.example', '2023-09-12')
CREATE TABLE `Stock` (`SKU` VARCHAR(255), `Description` VARCHAR(255), `Warehouse` VARCHAR(255), `OnHand` VARCHAR(255), `ReorderLevel` VARCHAR(255))
INSERT INTO `Stock` VALUES ('BK-200', 'Bike chain, 116 links', 'West', '64', '20')
INSERT INTO `Stock` VALUES ('CB-001', 'Coffee beans 1 kg', 'South', '210', '50')
