// velkorn_updresource holds the SZDD-compressed restart helper as the resource ":/UPD" and its SHA-256 as
// ":/UPD.sha256".
// Its resource object is linked into whoever links this library; nothing else lives here.
