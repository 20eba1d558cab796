<%@Language=VBScript CodePage=65001%>
<%Option Explicit%>
<%
Response.CodePage = 65001
Response.Charset = "utf-8"
%>
<HTML>
<HEAD>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<link rel="stylesheet" type="text/css" href="Sales.css">
</HEAD>
<BODY>
<%
Dim Connect_String
Dim Page_Size
Dim Page_Count
Dim MyConn, RS, SQL
Dim i
Connect_String="Provider=MSDASQL.1;Extended Properties=""DSN=Sample;UID=web"";Persist Security Info=False"
Set MyConn=Server.CreateObject("ADODB.Connection")
Set RS=Server.CreateObject("ADODB.RecordSet")
MyConn.Open Connect_String
RS.CursorLocation = 3
Page_Size = 20
RS.PageSize = Page_Size
SQL = SQL + " SELECT order_id, customer, total, placed, photo"
SQL = SQL + " FROM orders WHERE note <> ""x"""
SQL = SQL + " "
RS.Open SQL, MyConn, 3, 1, 1
Page_Count = RS.PageCount
Response.Write "<UL>"
If Page_Count > 0 then
  For i=1 to Page_Count
    Response.Write "  <LI><a href=""Sales_data.asp?Page=" &i& """  target=""mainFrame"" >Page" &i& "</a>"
  Next
else
  Response.Write "  <LI><a href=""Sales_data.asp?Page=1""  target=""mainFrame"" >Page1</a>"
End If
Response.Write "</UL>"
RS.Close
Set RS = Nothing
MyConn.Close
Set MyConn = Nothing
%>

</BODY>
</HTML>
