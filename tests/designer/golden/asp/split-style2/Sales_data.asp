<%@Language=VBScript CodePage=65001%>
<%
Option Explicit
Response.Buffer = True
Response.CodePage = 65001
Response.Charset = "utf-8"
%>
<HTML>
<HEAD>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<Title>Orders</Title>
<link rel="stylesheet" type="text/css" href="Sales.css">
</HEAD>

<%
Dim MyConn          ' Database connection object
Dim RS              ' Recordset object
Dim Connect_String  ' ADO Connection String
Dim SQL             ' SQL Statement
Dim Page_Size       ' Number of records per page
Dim StartPage       ' The page that we are starting on
Dim Current_Page    ' The current page that we are on
Dim Page_Count      ' Total pages
Dim CssClass        ' Style Sheet file
Dim CellValue       ' data value
Dim CellUrl         ' link address built from data
Dim intRowCount     ' Total rows
Dim i

' A value shown in a cell, with its markup characters written as references.
Function GwHtml(v)
  If IsNull(v) Then
    GwHtml = ""
  Else
    GwHtml = Replace(Replace(Replace(Replace(Replace(CStr(v), "&", "&amp;"), "<", "&lt;"), ">", "&gt;"), """", "&quot;"), "'", "&#39;")
  End If
End Function

Function GwHex(b)
  GwHex = "%" & Right("0" & Hex(b), 2)
End Function

' The UTF-8 bytes of code point n, percent-encoded.
Function GwUtf8(n)
  If n < &H80& Then
    GwUtf8 = GwHex(n)
  ElseIf n < &H800& Then
    GwUtf8 = GwHex(&HC0& Or (n \ &H40&)) & GwHex(&H80& Or (n And &H3F&))
  ElseIf n < &H10000& Then
    GwUtf8 = GwHex(&HE0& Or (n \ &H1000&)) & GwHex(&H80& Or ((n \ &H40&) And &H3F&)) & GwHex(&H80& Or (n And &H3F&))
  Else
    GwUtf8 = GwHex(&HF0& Or (n \ &H40000&)) & GwHex(&H80& Or ((n \ &H1000&) And &H3F&)) & GwHex(&H80& Or ((n \ &H40&) And &H3F&)) & GwHex(&H80& Or (n And &H3F&))
  End If
End Function

' A value placed into an address: letters, digits and - . _ ~ stay, and in the path of
' an address (component False) also / : ? # @ ! $ & ( ) * + , ; = %; every other
' character is percent-encoded as UTF-8, and a remaining & is written for the attribute.
Function GwUrl(v, component)
  Dim s, i, c, n, keep, out
  GwUrl = ""
  If IsNull(v) Then Exit Function
  s = CStr(v)
  keep = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~"
  If Not component Then keep = keep & "/:?#@!$&()*+,;=%"
  out = ""
  i = 1
  Do While i <= Len(s)
    c = Mid(s, i, 1)
    If InStr(1, keep, c, 0) > 0 Then
      out = out & c
    Else
      n = AscW(c) And &HFFFF&
      If n >= &HD800& And n <= &HDBFF& And i < Len(s) Then
        i = i + 1
        n = &H10000& + (n - &HD800&) * &H400& + ((AscW(Mid(s, i, 1)) And &HFFFF&) - &HDC00&)
      End If
      out = out & GwUtf8(n)
    End If
    i = i + 1
  Loop
  GwUrl = Replace(out, "&", "&amp;")
End Function

' True for a relative address and for the schemes http, https, ftp and mailto, read as a
' browser reads the attribute: character references resolved, control characters dropped.
Function GwSafeLink(url)
  Dim s, t, i, c, j, n, scheme
  s = CStr(url)
  t = ""
  i = 1
  Do While i <= Len(s)
    c = Mid(s, i, 1)
    If c = "&" And LCase(Mid(s, i, 5)) = "&amp;" Then
      c = "&"
      i = i + 4
    ElseIf c = "&" And Mid(s, i + 1, 1) = "#" Then
      j = i + 2
      n = 0
      If LCase(Mid(s, j, 1)) = "x" Then
        j = j + 1
        Do While j <= Len(s) And InStr(1, "0123456789abcdef", LCase(Mid(s, j, 1)), 0) > 0 And n < &H110000
          n = n * 16 + InStr(1, "0123456789abcdef", LCase(Mid(s, j, 1)), 0) - 1
          j = j + 1
        Loop
      Else
        Do While j <= Len(s) And InStr(1, "0123456789", Mid(s, j, 1), 0) > 0 And n < &H110000
          n = n * 10 + InStr(1, "0123456789", Mid(s, j, 1), 0) - 1
          j = j + 1
        Loop
      End If
      If Mid(s, j, 1) = ";" Then j = j + 1
      If n < 128 Then c = Chr(n) Else c = "?"
      i = j - 1
    End If
    If AscW(c) >= 32 Or AscW(c) < 0 Then t = t & c
    i = i + 1
  Loop
  t = LTrim(t)
  GwSafeLink = True
  For i = 1 To Len(t)
    c = Mid(t, i, 1)
    If c = "/" Or c = "?" Or c = "#" Then Exit Function
    If c = ":" Then
      scheme = LCase(Left(t, i - 1))
      GwSafeLink = (scheme = "http" Or scheme = "https" Or scheme = "ftp" Or scheme = "mailto")
      Exit Function
    End If
  Next
End Function

' The requested page: a whole number of at most nine digits, else page 1.
Function GwPageNumber(v)
  Dim s, i
  GwPageNumber = 1
  If IsNull(v) Or IsEmpty(v) Then Exit Function
  s = CStr(v)
  If Len(s) = 0 Or Len(s) > 9 Then Exit Function
  For i = 1 To Len(s)
    If InStr(1, "0123456789", Mid(s, i, 1), 0) = 0 Then Exit Function
  Next
  GwPageNumber = CLng(s)
End Function
Connect_String="Provider=MSDASQL.1;Extended Properties=""DSN=Sample;UID=web"";Persist Security Info=False"
Set MyConn=Server.CreateObject("ADODB.Connection")
Set RS=Server.CreateObject("ADODB.RecordSet")
MyConn.Open Connect_String
RS.CursorLocation = 3
If Request("Page") = "" Then
  Current_Page = 1
else
  Current_Page = GwPageNumber(Request("Page"))
end if
Page_Size = 20
RS.PageSize = Page_Size
SQL = ""
SQL = SQL + " SELECT order_id, customer, total, placed, photo"
SQL = SQL + " FROM orders WHERE note <> ""x"""
SQL = SQL + " "
RS.Open SQL, MyConn, 3, 1, 1
Page_Count = RS.PageCount
If Current_Page < 1 Then Current_Page = 1
If Current_Page > Page_Count Then Current_Page = Page_Count
If Page_Count > 0 then RS.AbsolutePage = Current_Page
%>
<BODY>
<h1 class="top">Orders</h1>
<A NAME=top></A>

<%
if (Current_Page mod 20) = 0 then 
  StartPage = Current_Page - 19
else
  StartPage = Current_Page - (Current_Page mod 20) + 1
end if
if Current_Page = 1 then
  Response.Write "[Previous]&nbsp;"
else
  Response.Write "[<A HREF=""Sales_data.asp?Page=" &(Current_Page - 1)& """>Previous</A>]&nbsp;"
end if
For i = 0 to 19
  if (StartPage + i) <= Page_Count then
    if (StartPage + i) = Current_Page then
      Response.Write "<b>" &(StartPage + i)& "</b>&nbsp;"
    else
      Response.Write"<A HREF=""Sales_data.asp?Page=" &(StartPage + i)& """>" &(StartPage + i)& "</A>&nbsp;"
    end if
  end if
Next
if Current_Page = Page_Count then
  Response.Write "[Next]"
else
  Response.Write "[<A HREF=""Sales_data.asp?Page=" &(Current_Page + 1)& """>Next</A>]&nbsp;"
end if
Response.Write "<br><br>"
%>
<Table Border="0" Cellpadding="4" Cellspacing="1" BgColor="#FFFFFF" BorderColor="#FF0000">
<%
intRowCount = 0
Do While RS.AbsolutePage = Current_Page And Not RS.EOF

  if intRowCount mod 2 = 0 then
    CssClass = """TrOdd"""
  else
    CssClass = """TrRows"""
  end if  Response.Write "<tr>"
  Response.Write "<td class=""ThRows"">order_id</td>"
  if Rs("order_id") <> ""  then
    CellValue = ""&GwHtml(FormatNumber(Rs("order_id"),0,-1,0,-1))&""
  else
    CellValue = "&nbsp;"
  end if
Response.Write "<td class=" &CssClass& " align=Right><a href="""&"order.asp"&"?"&""&"id="&GwUrl(Rs("ORDER_ID"),True)&""&"&"&"lang=en"&""" class=" &CssClass& ">" &CellValue& "</a></td>"  Response.Write "</tr>"  Response.Write "<tr>"
  Response.Write "<td class=""ThRows"">Customer ""name""</td>"
  if Rs("customer") <> ""  then
    CellValue = ""&GwHtml(Rs("customer"))&""
  else
    CellValue = "&nbsp;"
  end if
  CellUrl = "http://example.com/c/"&GwUrl(Rs("CUSTOMER"),False)&""
  if GwSafeLink(CellUrl) then
Response.Write "<td class=" &CssClass& " align=Default><a href="""&CellUrl&""" class=" &CssClass& " target=""_blank"">" &CellValue& "</a></td>"
  else
Response.Write "<td class=" &CssClass& " align=Default>" &CellValue& "</td>"
  end if  Response.Write "</tr>"  Response.Write "<tr>"
  Response.Write "<td class=""ThRows"">total</td>"
  if Rs("total") <> ""  then
    CellValue = "$ "&GwHtml(FormatNumber(Rs("total"),2,-1,0,-1))&""
  else
    CellValue = "&nbsp;"
  end if
Response.Write "<td class=" &CssClass& " align=Right>" &CellValue& "</td>"  Response.Write "</tr>"  Response.Write "<tr>"
  Response.Write "<td class=""ThRows"">photo</td>"
  if Rs("photo") <> ""  then
    CellUrl = "img/"&GwUrl(Rs("PHOTO"),False)&".png"
    if GwSafeLink(CellUrl) then
      CellValue = "<img src="""&CellUrl&""" width=""48"" border=""0"">"
    else
      CellValue = "&nbsp;"
    end if
  else
    CellValue = "&nbsp;"
  end if
Response.Write "<td class=" &CssClass& " align=Default>" &CellValue& "</td>"  Response.Write "</tr>"
  intRowCount = intRowCount + 1
  Rs.MoveNext
Loop
%>
</Table><br>

<%
Response.Write "<A HREF=""Sales_data.asp?Page=1"">First page</A> |"
if Current_Page > 1 then
  Response.Write "<A HREF=""Sales_data.asp?Page=" &(Current_Page - 1)& """>Prev</A> |"
else
  Response.Write "Prev |"
end if
if Current_Page < Page_Count then
  Response.Write "<A HREF=""Sales_data.asp?Page=" &(Current_Page + 1)& """>Next</A> |"
else
  Response.Write "Next |"
end if
Response.Write "<A HREF=""Sales_data.asp?Page=" &Page_Count& """>Last page</A> |"
Response.Write "<A HREF=#TOP>Top</A> <br><br>"
%>
<%
RS.Close
Set RS = Nothing
MyConn.Close
Set MyConn = Nothing
%>
<A NAME=bottom></A>
<p>End</p>
</BODY>
</HTML>
