// velkorn_updresource holds the SZDD-compressed restart helper as the resource ":/UPD".
// Its resource object is linked into whoever links this library; nothing else lives here.
